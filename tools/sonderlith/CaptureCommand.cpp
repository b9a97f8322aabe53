#include "tools/sonderlith/Subcommands.h"

#include "tools/capture/CaptureDevice.h"
#include "tools/capture/TakeLevels.h"
#include "tools/sonderlith/MeasureOutputs.h"
#include "tools/sonderlith/PlayedSignal.h"
#include "tools/sonderlith/WavFileWrite.h"

#include <atomic>
#include <csignal>
#include <thread>

namespace
{
// Silence before the signal, for the return's noise floor; and after it, so
// the return of the signal's end arrives within the take.
constexpr double prerollSeconds = 1.0, tailSeconds = 1.0;

struct CaptureRequest
{
    MeasureOptions options;
    MeasureOutputs outputs;
    FitAndOutputRequest fit;
    CaptureSettings device;
    bool typeGiven = false;
    bool list = false;
    std::string signal = "stimulus";
    SignalSettings signalSettings;
    std::vector<std::string> saveRecording;
};

std::atomic<bool> interrupted { false };
extern "C" void noteInterrupt (int) { interrupted.store (true); }

// Ctrl+C ends the take, not the program: the device is stopped and what was
// recorded kept. A second Ctrl+C is the system's again.
class InterruptGuard
{
public:
    InterruptGuard()
    {
        interrupted.store (false);
        previous = std::signal (SIGINT, noteInterrupt);
    }
    ~InterruptGuard() { std::signal (SIGINT, previous); }
    InterruptGuard (const InterruptGuard&) = delete;
    InterruptGuard& operator= (const InterruptGuard&) = delete;

private:
    void (*previous) (int) = SIG_DFL;
};

juce::String str (const std::string& s) { return juce::String::fromUTF8 (s.c_str()); }

void addOptions (CLI::App& c, CaptureRequest& r)
{
    once (c.add_flag ("--list", r.list, "print the device types, devices and their channels (with JACK, the server's ports) and stop"));
    once (c.add_option_function<std::string> ("--out", [&r] (const std::string& v) { r.device.out = str (v); },
                                              "the output that feeds the device's input: a channel from 1, or with JACK a port's name (system:playback_1)"))
        ->type_name ("CH");
    once (c.add_option_function<std::string> ("--in", [&r] (const std::string& v) { r.device.in = str (v); },
                                              "the input the device's output returns to: a channel from 1, or with JACK a port's name"))
        ->type_name ("CH");
    once (c.add_option_function<std::string> ("--ref", [&r] (const std::string& v) { r.device.ref = str (v); },
                                              "the input the output's loopback returns to: X as it left the interface, the timing reference "
                                              "(without it, X is the signal as played and the round trip is found)"))
        ->type_name ("CH");
    once (c.add_option_function<std::string> ("--device", [&r] (const std::string& v) { r.device.device = str (v); },
                                              "the device (see --list); with JACK, the server's name (default: the default server)"))
        ->type_name ("NAME");
    once (c.add_option_function<std::string> ("--type", [&r] (const std::string& v) { r.device.type = str (v); r.typeGiven = true; },
                                              "jack or alsa (or another type --list shows); default: jack when a server runs, else the system's own"))
        ->type_name ("TYPE");
    once (c.add_option ("--rate", r.device.sampleRate, "the sample rate, Hz (default: as the device runs; a JACK server's is its own)"))
        ->check (numberIn (8000.0, 384000.0))
        ->type_name ("R");
    once (c.add_option ("--buffer", r.device.bufferSize, "the buffer (JACK: period) size, frames (default: as the device runs)"))
        ->check (wholeIn (16, 16384))
        ->type_name ("N");
    once (c.add_option ("--signal", r.signal, "stimulus (default), sine (997 Hz), noise (uniform white) or an audio file at the device's rate"))->type_name ("SIGNAL");
    once (c.add_option ("--level", r.signalSettings.levelDbfs, "the signal's peak, dBFS (default 0)"))->check (numberIn (-120.0, 24.0))->type_name ("DBFS");
    once (c.add_option ("--seconds", r.signalSettings.seconds, "how long the stimulus, sine or noise plays (default 30)"))
        ->check (numberIn (1.0, longestPlayedSeconds))
        ->type_name ("S");
    once (c.add_option ("--save-recording", r.saveRecording, "keep the take: X and Y as two files, or one stereo file (X left, Y right); "
                                                             "X is the reference with --ref, else the signal as played"))
        ->expected (1, 2)
        ->type_name ("X.wav [Y.wav]");
    addFitAndOutputOptions (c, r.fit, r.options, r.outputs);
}

bool isSignalFile (const CaptureRequest& r) { return r.signal != "stimulus" && r.signal != "sine" && r.signal != "noise"; }

juce::String complete (CLI::App& c, CaptureRequest& r)
{
    completeFitAndOutputs (r.fit, r.options, r.outputs);
    if (r.list)
        return c.count ("--out") + c.count ("--in") + c.count ("--ref") > 0 ? "--list lists the devices; it takes no channels" : juce::String();
    if (r.device.out.isEmpty() || r.device.in.isEmpty())
        return "capture needs --out (what feeds the device) and --in (where it returns); sonderlith capture --list shows the channels";
    if (r.device.ref.isNotEmpty() && r.device.ref == r.device.in)
        return "--in and --ref name the same input: the reference is the output's loopback, on an input of its own";
    if (isSignalFile (r) && c.count ("--seconds") > 0)
        return "--seconds sets how long the stimulus, sine or noise plays; a file plays whole";
    if (r.signal == "stimulus" && r.signalSettings.seconds < stimulusMinimumSeconds)
        return "the stimulus lasts at least " + juce::String (stimulusMinimumSeconds, 0) + " s (--seconds)";
    r.signalSettings.kind = isSignalFile (r) ? fileArgument (r.signal).getFullPathName() : str (r.signal);
    std::vector<juce::File> recordings;
    for (const auto& f : r.saveRecording)
        recordings.push_back (fileArgument (f));
    if (recordings.size() == 2 && recordings[0] == recordings[1])
        return "--save-recording names one file twice: give two files (X and Y), or one for both";
    auto outputs = outputFiles (r.outputs);
    for (const auto& f : recordings)
        outputs.push_back ({ "--save-recording", f, ".wav" });
    return checkOutputs (outputs, { isSignalFile (r) ? fileArgument (r.signal) : juce::File() });
}

std::unique_ptr<CaptureDevice> openDevice (CaptureRequest& r, juce::String& error)
{
    auto device = openCaptureDevice (r.device, error);
    // Without --type, a machine with no JACK server uses its own audio system.
    if (device == nullptr && ! r.typeGiven && (error.startsWith ("No JACK server") || error.startsWith ("JACK is not")))
    {
        juce::String ownError;
        auto settings = r.device;
        settings.type = "alsa";
        if (auto own = openCaptureDevice (settings, ownError))
        {
            r.device.type = settings.type;
            error.clear();
            return own;
        }
    }
    return device;
}

struct Take
{
    std::unique_ptr<CaptureTake> take;
    std::size_t preroll = 0;
    juce::String stoppedBecause; // empty when the take ran to its end
};

// Plays the take and waits for it, watching for Ctrl+C, a device that goes
// away and one that stops calling back without a word.
Take runTake (CaptureDevice& device, const PlayedSignal& signal, bool withReference, CommandStreams& s)
{
    Take t;
    const auto rate = device.sampleRate();
    t.preroll = (std::size_t) std::lround (prerollSeconds * rate);
    std::vector<float> played (t.preroll + signal.samples.size() + (std::size_t) std::lround (tailSeconds * rate), 0.0f);
    std::transform (signal.samples.begin(), signal.samples.end(), played.begin() + (std::ptrdiff_t) t.preroll, [] (double v) { return (float) v; });
    t.take = std::make_unique<CaptureTake> (std::move (played), withReference);
    auto& take = *t.take;

    const InterruptGuard guard;
    if (const auto failed = device.start (take); failed.isNotEmpty())
    {
        t.stoppedBecause = failed;
        return t;
    }
    const auto stallMs = std::max (2000.0, 20000.0 * device.bufferSize() / rate);
    auto lastProgress = juce::Time::getMillisecondCounterHiRes();
    std::size_t lastDone = 0;
    auto seconds = [rate] (std::size_t frames) { return juce::String ((double) frames / rate, 1) + " s"; };
    while (! take.finished())
    {
        std::this_thread::sleep_for (std::chrono::milliseconds (50));
        const auto done = take.framesDone();
        const auto now = juce::Time::getMillisecondCounterHiRes();
        if (done != lastDone)
        {
            if (s.progress && done / (std::size_t) rate != lastDone / (std::size_t) rate)
                s.progress ("capturing: " + seconds (done) + " of " + seconds (take.length()));
            lastDone = done;
            lastProgress = now;
        }
        const auto where = " after " + seconds (done) + " of " + seconds (take.length());
        if (interrupted.load())
            t.stoppedBecause = "Stopped (Ctrl+C)" + where;
        else if (const auto lost = device.lostReason(); lost.isNotEmpty())
            t.stoppedBecause = lost + where;
        else if (now - lastProgress > stallMs)
            t.stoppedBecause = "The device stopped delivering audio" + where;
        if (t.stoppedBecause.isNotEmpty())
            break;
    }
    take.stop();
    device.stop();
    return t;
}

juce::String saveRecording (const CaptureRequest& r, const Take& t, double rate)
{
    const auto& take = *t.take;
    const auto& x = take.reference().empty() ? take.played() : take.reference();
    const auto frames = take.framesDone();
    auto save = [&] (const std::string& path, const std::vector<const float*>& channels) -> juce::String
    {
        const auto file = fileArgument (path);
        const auto written = writeWavSafely (file, rate, channels, frames, true);
        return written.wasOk() ? juce::String() : "Cannot write " + file.getFullPathName() + ": " + written.getErrorMessage();
    };
    if (r.saveRecording.size() == 1)
        return save (r.saveRecording[0], { x.data(), take.returned().data() });
    auto error = save (r.saveRecording[0], { x.data() });
    return error.isNotEmpty() ? error : save (r.saveRecording[1], { take.returned().data() });
}

// The take as the engine measures it, with what the report says of it.
std::shared_ptr<RenderedDevice> renderedTake (const CaptureRequest& r, const juce::String& route, double rate, const Take& t, const PlayedSignal& signal,
                                              const TakeLevels& levels)
{
    const auto& take = *t.take;
    auto rendered = std::make_shared<RenderedDevice>();
    const auto from = (std::ptrdiff_t) t.preroll, to = (std::ptrdiff_t) take.length();
    const auto& x = take.reference().empty() ? take.played() : take.reference();
    rendered->x.assign (x.begin() + from, x.begin() + to);
    rendered->y.reserve ((size_t) (to - from));
    for (auto i = from; i < to; ++i)
    {
        const auto v = take.returned()[(size_t) i];
        rendered->nonFiniteOutput += std::isfinite (v) ? 0 : 1;
        rendered->y.push_back (std::isfinite (v) ? v : 0.0);
    }
    rendered->sampleRate = rate;
    rendered->name = route.upToFirstOccurrenceOf (",", false, false);
    rendered->format = r.device.type.equalsIgnoreCase ("jack") ? "JACK" : r.device.type.toUpperCase();
    rendered->identifier = "--out " + r.device.out + " --in " + r.device.in + (r.device.ref.isEmpty() ? juce::String() : " --ref " + r.device.ref);
    rendered->signal = signal.description;
    rendered->levelDbfs = r.signalSettings.levelDbfs;

    CaptureConditions c;
    c.route = route;
    c.dropouts = take.dropouts();
    c.firstDropoutSeconds = take.firstDropout() >= 0 ? (double) (take.firstDropout() - (std::int64_t) t.preroll) / rate : 0.0;
    c.sendPeakDbfs = levels.sendPeak;
    c.returnPeakDbfs = levels.returnPeak;
    c.referencePeakDbfs = levels.referencePeak;
    c.noiseFloorDbfs = levels.noiseFloor;
    if (levels.noiseFloor)
        c.esrFloor = std::pow (10.0, (*levels.noiseFloor - levels.returnRms) / 10.0);
    if (! take.reference().empty())
    {
        const auto lag = estimateDelayBetween (std::vector<double> (take.played().begin() + from, take.played().end()),
                                               std::vector<double> (take.reference().begin() + from, take.reference().end()), rate);
        if (lag.found)
            c.referenceDelay = lag.samples;
    }
    rendered->capture = c;
    return rendered;
}

int run (CaptureRequest& r, CommandStreams& s)
{
    if (r.list)
    {
        s.out << listCaptureDevices (r.device.device);
        return exitCodes::ok;
    }
    juce::String error;
    auto device = openDevice (r, error);
    if (device == nullptr)
    {
        s.err << error << "\n";
        return exitCodes::failure;
    }
    r.signalSettings.sampleRate = device->sampleRate();
    const auto signal = makePlayedSignal (r.signalSettings);
    if (signal.error.isNotEmpty() || ! juce::approximatelyEqual (signal.sampleRate, device->sampleRate()))
    {
        s.err << (signal.error.isNotEmpty() ? signal.error
                                            : "The file is at " + juce::String (signal.sampleRate, 0) + " Hz; the device runs at " + juce::String (device->sampleRate(), 0)
                                                  + " Hz: resample it, or run the device at its rate")
              << "\n";
        return exitCodes::failure;
    }
    if (s.progress)
        s.progress ("capturing through " + device->describe());
    const auto t = runTake (*device, signal, r.device.ref.isNotEmpty(), s);
    const auto rate = device->sampleRate();
    const auto route = device->describe();
    device.reset(); // closed before anything is written or measured

    juce::StringArray kept;
    if (! r.saveRecording.empty() && t.take->framesDone() > 0)
    {
        if (const auto failed = saveRecording (r, t, rate); failed.isNotEmpty())
        {
            s.err << failed << "\n";
            return exitCodes::failure;
        }
        for (const auto& f : r.saveRecording)
            kept.add (fileArgument (f).getFullPathName());
    }
    const auto keptNote = kept.isEmpty() ? juce::String() : "; the recording is in " + kept.joinIntoString (" and ");
    if (t.stoppedBecause.isNotEmpty())
    {
        s.err << t.stoppedBecause << keptNote << "\n";
        return exitCodes::failure;
    }
    const auto levels = measureTakeLevels (t.take->played(), t.take->returned(), t.take->reference(), t.preroll, t.take->framesDone());
    if (levels.returnPeak < silentReturnDbfs || (levels.noiseFloor && levels.returnRms < *levels.noiseFloor + 6.0))
    {
        s.err << "The return is near silent (peak " << juce::String (levels.returnPeak, 1) << " dBFS"
              << (levels.noiseFloor && *levels.noiseFloor > -200.0 ? ", no louder than its noise floor of " + juce::String (*levels.noiseFloor, 1) + " dBFS" : juce::String())
              << "): is the device's output connected to input " << r.device.in << ", and the device to output " << r.device.out << "?" << keptNote << "\n";
        return exitCodes::failure;
    }
    r.options.rendered = renderedTake (r, route, rate, t, signal, levels);
    r.options.autoLatency = true;
    for (const auto& file : kept)
        s.out << "kept " << file << "\n";
    return measureAndReport (r.options, r.outputs, s);
}
} // namespace

CommandRun addCaptureCommand (CLI::App& app)
{
    auto* c = app.add_subcommand ("capture", "Play a signal through an audio interface (or JACK) into a device, record its return and measure it");
    auto request = std::make_shared<CaptureRequest>();
    addOptions (*c, *request);
    c->footer ("Exit codes: 0 good or doubtful, 1 no device, a device lost, stopped, a silent return or cannot write, 2 wrong usage, 3 verdict \"failed\".\n"
               "Example: sonderlith capture --out 1 --in 1 --ref 2 -o pedal.tfunc --png pedal.png\n"
               "Example: sonderlith capture --type jack --out jalv:in --in jalv:out -o shaper.tfunc\n"
               "The take is 1 s of silence (the return's noise floor), the signal, and 1 s of silence for the return to arrive. With --ref\n"
               "the output's loopback is X; without it X is the signal as played. Either way the delay to the return is found.\n");
    return completeThenRun (*c, request, complete, run);
}
