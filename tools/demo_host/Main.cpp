#include "editor/PluginProcessorEditor.h"
#include "persistence/UserSettings.h"
#include "plugin/PluginAudioProcessor.h"
#include "tools/hosting/BareXServer.h"
#include "dsp/DemoDevice.h"

#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

// sonderlith-demo-host [--save-to FILE] [--artist NAME] SECONDS [STOP_FILE]: a minimal host of
// our own, running the plug-in's code in its own process the way a standalone
// wrapper does. Opens the plug-in's editor in a top-level window at the
// screen's top-left corner while the demo device (tanh with some noise) plays
// through the plug-in in real time on an audio thread, then closes after
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

class AudioThread
{
public:
    explicit AudioThread (juce::AudioProcessor& p) : plugin (p), thread ([this] { run(); }) {}
    ~AudioThread()
    {
        running = false;
        thread.join();
    }

private:
    void run()
    {
        constexpr int block = 512;
        DemoSettings device;
        device.pairs = 48000 * 4; // four seconds, looped
        device.noiseDecibels = -30.0;
        const auto capture = playDemoDevice (device);
        juce::AudioBuffer<float> buffer (4, block);
        juce::MidiBuffer midi;
        auto next = std::chrono::steady_clock::now();
        size_t position = 0;
        while (running)
        {
            for (int i = 0; i < block; ++i, position = (position + 1) % capture.x.size())
            {
                buffer.setSample (0, i, (float) capture.y[position]);
                buffer.setSample (1, i, (float) capture.y[position]);
                buffer.setSample (2, i, (float) capture.x[position]);
                buffer.setSample (3, i, (float) capture.x[position]);
            }
            plugin.processBlock (buffer, midi);
            next += std::chrono::microseconds (block * 1000000LL / 48000);
            std::this_thread::sleep_until (next);
        }
    }

    juce::AudioProcessor& plugin;
    std::atomic<bool> running { true };
    std::thread thread;
};
} // namespace

int main (int argc, char** argv)
{
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (argv[i]);
    juce::File saveTo;
    juce::String artist;
    if (const auto at = args.indexOf ("--save-to"); at >= 0 && at + 1 < args.size())
    {
        saveTo = juce::File::getCurrentWorkingDirectory().getChildFile (args[at + 1]);
        args.removeRange (at, 2);
    }
    if (const auto at = args.indexOf ("--artist"); at >= 0 && at + 1 < args.size())
    {
        artist = args[at + 1];
        args.removeRange (at, 2);
    }
    if (args.size() != 1 && args.size() != 2)
    {
        std::cerr << "usage: sonderlith-demo-host [--save-to FILE] [--artist NAME] SECONDS [STOP_FILE]\n";
        return 2;
    }
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
    plugin.setRateAndBufferSizeDetails (48000.0, 512);
    plugin.prepareToPlay (48000.0, 512);

    {
        AudioThread audio (plugin);
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
