#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <cstdlib>
#include <string>

#if defined(__linux__)
 #include <dlfcn.h>
#endif

namespace
{
// Every test run gets a home and config folder of its own, so nothing the
// plug-in writes (settings, preset folders) ever lands in the real home.
std::string isolateHome()
{
    char pattern[] = "/tmp/sonderlith-test-home-XXXXXX";
    const char* home = ::mkdtemp (pattern);
    if (home == nullptr)
        std::abort();
    ::setenv ("HOME", home, 1);
    ::setenv ("XDG_CONFIG_HOME", (std::string (home) + "/.config").c_str(), 1);
    return home;
}
// The toolkit looks up the window-manager atoms without creating them, so on
// a bare X server (Xvfb, no window manager) they are missing and its first
// window fails with BadAtom. A window manager would have created them; here
// the test program does, before the toolkit connects, and keeps its connection
// open: Xvfb forgets every atom when its last client disconnects.
void createWindowManagerAtoms()
{
#if defined(__linux__)
    if (std::getenv ("DISPLAY") == nullptr)
        return;
    auto* x11 = ::dlopen ("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (x11 == nullptr)
        return;
    using OpenDisplay = void* (*) (const char*);
    using InternAtom = unsigned long (*) (void*, const char*, int);
    auto open = reinterpret_cast<OpenDisplay> (::dlsym (x11, "XOpenDisplay"));
    auto intern = reinterpret_cast<InternAtom> (::dlsym (x11, "XInternAtom"));
    if (open == nullptr || intern == nullptr)
        return;
    // Held in a global so leak checkers see the open connection as reachable.
    static void* display = nullptr;
    display = open (nullptr);
    if (display != nullptr)
        for (const auto* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE",
                                  "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN", "_NET_WM_WINDOW_TYPE_NORMAL" })
            intern (display, name, 0);
#endif
}
} // namespace

int main (int argc, char** argv)
{
    const auto home = isolateHome();
    ::testing::InitGoogleTest (&argc, argv);
    createWindowManagerAtoms();
    int result = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        result = RUN_ALL_TESTS();
    }
    juce::File (home).deleteRecursively();
    return result;
}
