#include "tools/capture/JuceCaptureDevice.h"

#include <atomic>

namespace
{
juce::String numbered (const juce::StringArray& names)
{
    juce::StringArray list;
    for (int i = 0; i < names.size(); ++i)
        list.add (juce::String (i + 1) + " " + names[i]);
    return list.isEmpty() ? juce::String ("none") : list.joinIntoString (", ");
}

// The position of channel `index` among the active ones, which is how the
// callback's arrays are ordered.
int activePosition (const juce::BigInteger& active, int index)
{
    int position = 0;
    for (int i = 0; i < index; ++i)
        position += active[i] ? 1 : 0;
    return position;
}

class JuceCaptureDevice final : public CaptureDevice, private juce::AudioIODeviceCallback
{
public:
    JuceCaptureDevice (std::unique_ptr<juce::AudioIODeviceType> t, std::unique_ptr<juce::AudioIODevice> d) : type (std::move (t)), device (std::move (d)) {}

    ~JuceCaptureDevice() override
    {
        stop();
        device->close();
    }

    juce::String prepare (const CaptureSettings& s)
    {
        juce::String error;
        outIndex = channelIndex ("--out", s.out, device->getOutputChannelNames(), error);
        inIndex = error.isEmpty() ? channelIndex ("--in", s.in, device->getInputChannelNames(), error) : -1;
        refIndex = error.isEmpty() && s.ref.isNotEmpty() ? channelIndex ("--ref", s.ref, device->getInputChannelNames(), error) : -1;
        if (error.isNotEmpty())
            return error;
        if (refIndex == inIndex)
            return "--in and --ref are both input " + s.in + ": the reference is the output's loopback, on an input of its own";
        juce::BigInteger ins, outs;
        ins.setBit (inIndex);
        if (refIndex >= 0)
            ins.setBit (refIndex);
        outs.setBit (outIndex);
        const auto rate = s.sampleRate > 0.0 ? s.sampleRate : device->getAvailableSampleRates().contains (48000.0) ? 48000.0 : 0.0;
        if (const auto failed = device->open (ins, outs, rate, s.bufferSize); failed.isNotEmpty())
            return "Cannot open " + device->getName() + ": " + failed;
        if (s.sampleRate > 0.0 && ! juce::approximatelyEqual (device->getCurrentSampleRate(), s.sampleRate))
            return device->getName() + " runs at " + juce::String (device->getCurrentSampleRate(), 0) + " Hz, not the " + juce::String (s.sampleRate, 0) + " Hz asked for";
        inputs = device->getActiveInputChannels();
        outputs = device->getActiveOutputChannels();
        return {};
    }

    double sampleRate() const override { return device->getCurrentSampleRate(); }
    int bufferSize() const override { return device->getCurrentBufferSizeSamples(); }

    juce::String describe() const override
    {
        auto text = type->getTypeName() + " device \"" + device->getName() + "\", " + juce::String (sampleRate(), 0) + " Hz, buffer " + juce::String (bufferSize())
                    + "; plays to output " + juce::String (outIndex + 1) + ", returns from input " + juce::String (inIndex + 1);
        if (refIndex >= 0)
            text << ", reference from input " << refIndex + 1;
        return text;
    }

    juce::String start (CaptureTake& t) override
    {
        xrunsAtStart = device->getXRunCount();
        take.store (&t, std::memory_order_release);
        device->start (this);
        return device->isPlaying() ? juce::String() : "The device did not start: " + device->getLastError();
    }

    void stop() override
    {
        if (auto* t = take.exchange (nullptr))
            for (auto more = device->getXRunCount() - xrunsAtStart; more > 0; --more)
                t->noteDropout();
        device->stop();
    }

    juce::String lostReason() const override { return lost.load() ? device->getName() + " stopped (unplugged, or taken by another program?)" : juce::String(); }

private:
    static int channelIndex (const char* option, const juce::String& channel, const juce::StringArray& names, juce::String& error)
    {
        if (! channel.containsOnly ("0123456789") || channel.isEmpty())
        {
            error = juce::String (option) + " " + channel + ": channels of this device are numbers from 1 (" + numbered (names)
                    + "); ports are named only with --type jack";
            return -1;
        }
        const auto index = channel.getIntValue() - 1;
        if (! juce::isPositiveAndBelow (index, names.size()))
            error = juce::String (option) + " " + channel + ": the device has " + juce::String (names.size()) + " " + (juce::String (option) == "--out" ? "outputs" : "inputs")
                    + " (" + numbered (names) + ")";
        return index;
    }

    void audioDeviceIOCallbackWithContext (const float* const* in, int numIn, float* const* out, int numOut, int frames,
                                           const juce::AudioIODeviceCallbackContext& context) override
    {
        for (int c = 0; c < numOut; ++c)
            if (out[c] != nullptr)
                std::fill (out[c], out[c] + frames, 0.0f);
        auto* t = take.load (std::memory_order_acquire);
        if (t == nullptr)
            return;
        auto input = [&] (int index) -> const float* {
            const auto at = index >= 0 ? activePosition (inputs, index) : -1;
            return juce::isPositiveAndBelow (at, numIn) ? in[at] : nullptr;
        };
        const auto outAt = activePosition (outputs, outIndex);
        const auto clock = context.hostTimeNs != nullptr ? (std::int64_t) ((double) *context.hostTimeNs * sampleRateNow / 1.0e9) : (std::int64_t) -1;
        t->process (input (inIndex), input (refIndex), juce::isPositiveAndBelow (outAt, numOut) ? out[outAt] : nullptr, frames, clock);
    }

    void audioDeviceAboutToStart (juce::AudioIODevice* d) override
    {
        sampleRateNow = d->getCurrentSampleRate();
        if (auto* t = take.load())
            t->setClockTolerance ((std::int64_t) (0.9 * d->getCurrentBufferSizeSamples()));
    }
    void audioDeviceStopped() override {}
    void audioDeviceError (const juce::String&) override { lost.store (true); }

    std::unique_ptr<juce::AudioIODeviceType> type;
    std::unique_ptr<juce::AudioIODevice> device;
    int outIndex = -1, inIndex = -1, refIndex = -1;
    juce::BigInteger inputs, outputs;
    double sampleRateNow = 48000.0;
    int xrunsAtStart = 0;
    std::atomic<CaptureTake*> take { nullptr };
    std::atomic<bool> lost { false };
};

// The devices of a scanned type that both play and record, each with its
// channels: what ALSA lists also holds converters and mixers with none.
struct DuplexDevice
{
    juce::String name;
    juce::StringArray outputs, inputs;
};

std::vector<DuplexDevice> duplexDevices (juce::AudioIODeviceType& type)
{
    std::vector<DuplexDevice> found;
    const auto inputNames = type.getDeviceNames (true);
    for (const auto& name : type.getDeviceNames (false))
        if (inputNames.contains (name))
            if (std::unique_ptr<juce::AudioIODevice> device (type.createDevice (name, name)); device != nullptr)
                if (const auto outs = device->getOutputChannelNames(), ins = device->getInputChannelNames(); ! outs.isEmpty() && ! ins.isEmpty())
                    found.push_back ({ name, outs, ins });
    return found;
}
} // namespace

juce::StringArray duplexDeviceNames (juce::AudioIODeviceType& type)
{
    juce::StringArray names;
    for (const auto& d : duplexDevices (type))
        names.add (d.name);
    return names;
}

std::vector<std::unique_ptr<juce::AudioIODeviceType>> juceDeviceTypes()
{
    juce::OwnedArray<juce::AudioIODeviceType> owned;
    juce::AudioDeviceManager().createAudioDeviceTypes (owned);
    std::vector<std::unique_ptr<juce::AudioIODeviceType>> types;
    while (! owned.isEmpty())
        types.emplace_back (owned.removeAndReturn (0));
    return types;
}

std::unique_ptr<CaptureDevice> openJuceCaptureDevice (const CaptureSettings& s, juce::String& error)
{
    auto types = juceDeviceTypes();
    juce::StringArray typeNames;
    for (auto& t : types)
    {
        typeNames.add (t->getTypeName());
        if (! t->getTypeName().equalsIgnoreCase (s.type))
            continue;
        t->scanForDevices();
        const auto names = duplexDeviceNames (*t);
        const auto name = s.device.isNotEmpty() ? s.device : names.contains (t->getDeviceNames (false)[t->getDefaultDeviceIndex (false)]) ? t->getDeviceNames (false)[t->getDefaultDeviceIndex (false)] : names[0];
        if (! names.contains (name))
        {
            error = name.isEmpty() ? "No " + t->getTypeName() + " device plays and records here"
                                   : "No " + t->getTypeName() + " device \"" + name + "\" that plays and records";
            error << "; the devices that do: " << (names.isEmpty() ? juce::String ("none") : names.joinIntoString (", "));
            return nullptr;
        }
        std::unique_ptr<juce::AudioIODevice> device (t->createDevice (name, name));
        if (device == nullptr)
        {
            error = "Cannot open " + t->getTypeName() + " device \"" + name + "\"";
            return nullptr;
        }
        auto capture = std::make_unique<JuceCaptureDevice> (std::move (t), std::move (device));
        error = capture->prepare (s);
        return error.isEmpty() ? std::move (capture) : nullptr;
    }
    error = "No audio device type \"" + s.type + "\" here; the types: jack" + (typeNames.isEmpty() ? juce::String() : ", " + typeNames.joinIntoString (", ").toLowerCase());
    return nullptr;
}

juce::String listJuceDevices()
{
    juce::String text;
    for (auto& t : juceDeviceTypes())
    {
        t->scanForDevices();
        text << t->getTypeName().toLowerCase() << "\n";
        const auto devices = duplexDevices (*t);
        if (devices.empty())
            text << "  no device that plays and records\n";
        for (const auto& d : devices)
        {
            text << "  " << d.name << "\n";
            text << "    outputs (--out): " << numbered (d.outputs) << "\n";
            text << "    inputs (--in, --ref): " << numbered (d.inputs) << "\n";
        }
    }
    return text;
}
