#include "editor/PluginProcessorEditor.h"
#include "persistence/UserSettings.h"
#include "plugin/PluginAudioProcessor.h"
#include "tools/hosting/BareXServer.h"
#include "dsp/DemoDevice.h"
#include "tools/demo_host/Recording.h"

#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

// sonderlith-demo-host [--save-to FILE] [--artist NAME] [--x IN --y OUT | --xy FILE] SECONDS [STOP_FILE]:
// a minimal host of our own, running the plug-in's code in its own process the
// way a standalone wrapper does. Opens the plug-in's editor in a top-level
// window at the screen's top-left corner while the demo device (tanh with some
// noise), or a recording of a device's input and output looped, plays through
// the plug-in in real time on an audio thread, then closes after
// SECONDS or as soon as STOP_FILE exists. With --save-to, a save (Ctrl+S or the
// save button) writes FILE instead of showing the file chooser; --artist
// stores the artist's name first, as an earlier save would have.
namespace
{
class HostWindow : public juce::DocumentWindow
{
public:
    explicit HostWindow (juce::AudioProcessorEditor* editor)
        : juce::DocumentWindow ("Sonderlith demo host", juce::Colours::black, 0, true)
    {
        setTitleBarHeight (0);
        setUsingNativeTitleBar (false);
        setContentOwned (editor, true);
        setTopLeftPosition (0, 0);
        setVisible (true);
    }
};

// Ends the message loop once the stop file appears.
class StopWatcher : private juce::Timer
{
public:
    explicit StopWatcher (juce::File f) : file (std::move (f))
    {
        if (file != juce::File())
            startTimer (100);
    }

private:
    void timerCallback() override
    {
        if (file.exists())
            juce::MessageManager::getInstance()->stopDispatchLoop();
    }

    juce::File file;
};

// Gives the editor the keyboard, as a host does when its window comes to the
// front: a window not yet mapped by the display cannot take the focus, so
// this asks again until it has it, then says so once.
class KeyboardFocusKeeper : private juce::Timer
{
public:
    explicit KeyboardFocusKeeper (juce::Component& c) : component (c) { startTimer (50); }

private:
    void timerCallback() override
    {
        if (component.hasKeyboardFocus (true))
        {
            std::cout << "editor has the keyboard" << std::endl;
            stopTimer();
            return;
        }
        component.grabKeyboardFocus();
    }

    juce::Component& component;
};

// Says on stdout what the window shows a person in words: the status strip,
// the verdict line, where the "Algo" combo is while frozen and whether a menu
// is open, each when it changes, so a script driving the real window can
// follow it.
class WindowReporter : private juce::Timer
{
public:
    explicit WindowReporter (PluginProcessorEditor& e) : editor (e) { startTimer (100); }

private:
    void timerCallback() override
    {
        report ("strip: ", editor.tooltipPanel.getCurrentText(), strip);
        report ("verdict: ", editor.verdictLine.isVisible() ? editor.verdictLine.text() : juce::String(), verdict);
        const auto combo = editor.algorithmCombo.isVisible() ? editor.algorithmCombo.getBounds().getCentre() : juce::Point<int>();
        report ("algo combo at ", combo.isOrigin() ? juce::String() : juce::String (combo.x) + " " + juce::String (combo.y), algo);
        // An open menu is modal: a script waits for it before pointing at an entry.
        report ("menu: ", juce::Component::getNumCurrentlyModalComponents() > 0 ? "open" : "closed", menu);
    }

    static void report (const char* what, const juce::String& now, juce::String& last)
    {
        if (now == last)
            return;
        last = now;
        if (now.isNotEmpty())
            std::cout << what << now << std::endl;
    }

    PluginProcessorEditor& editor;
    juce::String strip, verdict, algo, menu;
};

Recording demoDeviceRecording()
{
    DemoSettings device;
    device.pairs = 48000 * 4; // four seconds, looped
    device.noiseDecibels = -30.0;
    const auto capture = playDemoDevice (device);
    return { { capture.x.begin(), capture.x.end() }, { capture.y.begin(), capture.y.end() }, 48000.0 };
}

// X into the sidechain, Y into the main input, looped at the recording's rate.
class AudioThread
{
public:
    AudioThread (juce::AudioProcessor& p, const Recording& r) : plugin (p), recording (r), thread ([this] { run(); }) {}
    ~AudioThread()
    {
        running = false;
        thread.join();
    }

private:
    void run()
    {
        constexpr int block = 512;
        juce::AudioBuffer<float> buffer (4, block);
        juce::MidiBuffer midi;
        auto next = std::chrono::steady_clock::now();
        const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration> (std::chrono::duration<double> (block / recording.sampleRate));
        size_t position = 0;
        while (running)
        {
            for (int i = 0; i < block; ++i, position = (position + 1) % recording.x.size())
            {
                buffer.setSample (0, i, recording.y[position]);
                buffer.setSample (1, i, recording.y[position]);
                buffer.setSample (2, i, recording.x[position]);
                buffer.setSample (3, i, recording.x[position]);
            }
            plugin.processBlock (buffer, midi);
            next += period;
            std::this_thread::sleep_until (next);
        }
    }

    juce::AudioProcessor& plugin;
    const Recording& recording;
    std::atomic<bool> running { true };
    std::thread thread;
};

juce::String takeOption (juce::StringArray& args, const char* name)
{
    const auto at = args.indexOf (name);
    if (at < 0 || at + 1 >= args.size())
        return {};
    const auto value = args[at + 1];
    args.removeRange (at, 2);
    return value;
}

std::variant<Recording, std::string> recordingFrom (const juce::String& x, const juce::String& y, const juce::String& xy)
{
    auto path = [] (const juce::String& p) { return juce::File::getCurrentWorkingDirectory().getChildFile (p).getFullPathName().toStdString(); };
    if (xy.isNotEmpty())
        return x.isEmpty() && y.isEmpty() ? loadStereoRecording (path (xy)) : std::variant<Recording, std::string> ("give --x and --y, or --xy, not both");
    if (x.isNotEmpty() != y.isNotEmpty())
        return std::string ("--x and --y go together");
    return x.isNotEmpty() ? loadRecording (path (x), path (y)) : demoDeviceRecording();
}
} // namespace

int main (int argc, char** argv)
{
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (argv[i]);
    juce::File saveTo;
    juce::String artist;
    if (const auto file = takeOption (args, "--save-to"); file.isNotEmpty())
        saveTo = juce::File::getCurrentWorkingDirectory().getChildFile (file);
    artist = takeOption (args, "--artist");
    const auto xFile = takeOption (args, "--x"), yFile = takeOption (args, "--y"), xyFile = takeOption (args, "--xy");
    if (args.size() != 1 && args.size() != 2)
    {
        std::cerr << "usage: sonderlith-demo-host [--save-to FILE] [--artist NAME] [--x IN --y OUT | --xy FILE] SECONDS [STOP_FILE]\n";
        return 2;
    }
    const auto loaded = recordingFrom (xFile, yFile, xyFile);
    if (const auto* reason = std::get_if<std::string> (&loaded))
    {
        std::cerr << "demo host: " << *reason << "\n";
        return 2;
    }
    const auto& recording = std::get<Recording> (loaded);
    if (xFile.isNotEmpty() || xyFile.isNotEmpty())
        std::cout << "looping " << recording.x.size() << " pairs at " << recording.sampleRate << " Hz" << std::endl;
    if (artist.isNotEmpty())
        saveArtistName (artist); // as if an earlier save had asked for it
    prepareBareXServer();
    juce::ScopedJuceInitialiser_GUI juce;
    PluginAudioProcessor plugin;
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (juce::AudioChannelSet::stereo());
    layout.inputBuses.add (juce::AudioChannelSet::stereo());
    layout.outputBuses.add (juce::AudioChannelSet::stereo());
    if (! plugin.setBusesLayout (layout))
    {
        std::cerr << "demo host: the plug-in refused the sidechain layout\n";
        return 1;
    }
    plugin.setRateAndBufferSizeDetails (recording.sampleRate, 512);
    plugin.prepareToPlay (recording.sampleRate, 512);

    {
        AudioThread audio (plugin, recording);
        auto* editor = dynamic_cast<PluginProcessorEditor*> (plugin.createEditorIfNeeded());
        if (editor == nullptr)
        {
            std::cerr << "demo host: no editor\n";
            return 1;
        }
        if (saveTo != juce::File())
            editor->onChooseSaveFile = [saveTo] (const juce::File&, const juce::String&, std::function<void (const juce::File&)> chosen)
            {
                std::cout << "saving to " << saveTo.getFullPathName() << std::endl;
                chosen (saveTo);
            };
        HostWindow window (editor);
        const KeyboardFocusKeeper keyboard (*editor);
        const WindowReporter reporter (*editor);
        const auto at = editor->getScreenPosition();
        std::cout << "editor at " << at.x << " " << at.y << std::endl;

        const auto seconds = args[0].getDoubleValue();
        juce::Timer::callAfterDelay ((int) (seconds * 1000.0), [] { juce::MessageManager::getInstance()->stopDispatchLoop(); });
        const StopWatcher watcher (args.size() == 2 ? juce::File::getCurrentWorkingDirectory().getChildFile (args[1]) : juce::File());
        juce::MessageManager::getInstance()->runDispatchLoop();
        window.clearContentComponent();
    }
    plugin.releaseResources();
    std::cout << "closed cleanly" << std::endl;
    return 0;
}
