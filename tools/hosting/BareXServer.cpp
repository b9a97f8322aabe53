#include "tools/hosting/BareXServer.h"

#include <cstdlib>
#include <initializer_list>

#if defined(__linux__)
 #include <dlfcn.h>
#endif

void prepareBareXServer()
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
