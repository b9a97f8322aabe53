#include "tools/hosting/BareXServer.h"
#include "tools/hosting/Vst3Host.h"
#include "tools/measurement/DemoDevice.h"

#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

// sonderlith-demo-host PATH/Sonderlith.vst3 SECONDS [STOP_FILE]: a minimal host
// of our own. Opens the plug-in's editor in a top-level window at the screen's
// top-left corner while the demo device (tanh with some noise) plays through
// the plug-in in real time on an audio thread, then closes after SECONDS or
// as soon as STOP_FILE exists.
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

class AudioThread
{
public:
    AudioThread (juce::AudioPluginInstance& p) : plugin (p), thread ([this] { run(); }) {}
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

    juce::AudioPluginInstance& plugin;
    std::atomic<bool> running { true };
    std::thread thread;
};
} // namespace

int main (int argc, char** argv)
{
    if (argc != 3 && argc != 4)
    {
        std::cerr << "usage: sonderlith-demo-host PATH/Sonderlith.vst3 SECONDS [STOP_FILE]\n";
        return 2;
    }
    prepareBareXServer();
    juce::ScopedJuceInitialiser_GUI juce;
    auto loaded = vst3host::loadVst3 (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]), 48000.0, 512);
    if (loaded.instance == nullptr)
    {
        std::cerr << "demo host: " << loaded.error << "\n";
        return 1;
    }
    auto& plugin = *loaded.instance;
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

    int result = 0;
    {
        AudioThread audio (plugin);
        auto* editor = plugin.createEditorIfNeeded();
        if (editor == nullptr)
        {
            std::cerr << "demo host: no editor\n";
            return 1;
        }
        HostWindow window (editor);
        const auto at = editor->getScreenPosition();
        std::cout << "editor at " << at.x << " " << at.y << std::endl;

        const auto seconds = juce::String (argv[2]).getDoubleValue();
        juce::Timer::callAfterDelay ((int) (seconds * 1000.0), [] { juce::MessageManager::getInstance()->stopDispatchLoop(); });
        const StopWatcher watcher (argc == 4 ? juce::File::getCurrentWorkingDirectory().getChildFile (argv[3]) : juce::File());
        juce::MessageManager::getInstance()->runDispatchLoop();
        window.clearContentComponent();
    }
    plugin.releaseResources();
    std::cout << "closed cleanly" << std::endl;
    return result;
}
