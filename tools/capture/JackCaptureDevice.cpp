#include "tools/capture/JackCaptureDevice.h"

#include "tools/capture/JackLibrary.h"

#include <atomic>

namespace
{
constexpr const char* clientName = "sonderlith";

// The server a client reaches when none is named: JACK's default, or the
// one its environment names.
juce::String serverReached (const juce::String& server)
{
    return server.isNotEmpty() ? server : juce::SystemStats::getEnvironmentVariable ("JACK_DEFAULT_SERVER", "default");
}

juce::String serverLabel (const juce::String& server) { return "the JACK server \"" + serverReached (server) + "\""; }

juce::String capitalised (const juce::String& s) { return s.substring (0, 1).toUpperCase() + s.substring (1); }

jack_client_t* openClient (const JackLibrary& jack, const juce::String& server, juce::String& error)
{
    jack_status_t status {};
    auto* client = server.isEmpty() ? jack.jack_client_open (clientName, JackNoStartServer, &status)
                                    : jack.jack_client_open (clientName, (jack_options_t) (JackNoStartServer | JackServerName), &status, server.toRawUTF8());
    if (client == nullptr)
        error = (status & JackServerFailed) != 0 || (status & JackServerError) != 0 ? "No JACK server is running (" + serverLabel (server) + ")"
                                                                                    : "Cannot become a client of " + serverLabel (server) + " (JACK status "
                                                                                          + juce::String (static_cast<int> (status)) + ")";
    return client;
}

struct PortList
{
    const char** names = nullptr;
    const JackLibrary& jack;
    PortList (const JackLibrary& j, jack_client_t* client, unsigned long flags) : jack (j)
    {
        names = jack.jack_get_ports (client, nullptr, JACK_DEFAULT_AUDIO_TYPE, flags);
    }
    ~PortList()
    {
        if (names != nullptr)
            jack.jack_free (names);
    }
    juce::StringArray all() const
    {
        juce::StringArray list;
        for (auto** n = names; n != nullptr && *n != nullptr; ++n)
            list.add (juce::String::fromUTF8 (*n));
        return list;
    }
};

class JackCaptureDevice final : public CaptureDevice
{
public:
    JackCaptureDevice (const JackLibrary& library, jack_client_t* c, juce::String server) : jack (library), client (c), serverName (std::move (server)) {}

    ~JackCaptureDevice() override
    {
        stop();
        // The period is the whole server's: given back as it was found.
        if (periodFound > 0 && ! serverGone.load() && bufferSize() != periodFound)
            jack.jack_set_buffer_size (client, (jack_nframes_t) periodFound);
        jack.jack_client_close (client);
    }

    juce::String prepare (const CaptureSettings& s)
    {
        const auto rate = sampleRate();
        if (s.sampleRate > 0.0 && ! juce::approximatelyEqual (s.sampleRate, rate))
            return capitalised (serverLabel (serverName)) + " runs at " + juce::String (rate, 0)
                   + " Hz: start it at " + juce::String (s.sampleRate, 0) + " Hz, or leave out --rate";
        if (s.bufferSize > 0 && s.bufferSize != bufferSize())
        {
            periodFound = bufferSize();
            if (jack.jack_set_buffer_size (client, (jack_nframes_t) s.bufferSize) != 0)
                return "The JACK server refused a period of " + juce::String (s.bufferSize) + " frames (--buffer); it runs at " + juce::String (bufferSize());
        }
        outPort = jack.jack_port_register (client, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        inPort = jack.jack_port_register (client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        refPort = s.ref.isEmpty() ? nullptr : jack.jack_port_register (client, "ref", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        if (outPort == nullptr || inPort == nullptr || (s.ref.isNotEmpty() && refPort == nullptr))
            return "The JACK server refused to give the command its ports";

        juce::String error;
        const auto destination = resolve ("--out", s.out, JackPortIsInput, error);
        const auto source = error.isEmpty() ? resolve ("--in", s.in, JackPortIsOutput, error) : juce::String();
        const auto reference = error.isEmpty() && s.ref.isNotEmpty() ? resolve ("--ref", s.ref, JackPortIsOutput, error) : juce::String();
        if (error.isNotEmpty())
            return error;
        connections = { { ownName (outPort), destination }, { source, ownName (inPort) } };
        if (refPort != nullptr)
            connections.push_back ({ reference, ownName (refPort) });
        return {};
    }

    double sampleRate() const override { return (double) jack.jack_get_sample_rate (client); }
    int bufferSize() const override { return (int) jack.jack_get_buffer_size (client); }

    juce::String describe() const override
    {
        juce::String text = "JACK (server \"" + serverReached (serverName) + "\"), "
                            + juce::String (sampleRate(), 0) + " Hz, period " + juce::String (bufferSize()) + "; plays to " + connections[0].second
                            + ", returns from " + connections[1].first;
        if (connections.size() > 2)
            text << ", reference from " + connections[2].first;
        return text;
    }

    juce::String start (CaptureTake& t) override
    {
        jack.jack_set_process_callback (client, processCallback, this);
        jack.jack_set_xrun_callback (client, xrunCallback, this);
        jack.jack_on_shutdown (client, shutdownCallback, this);
        if (jack.jack_activate (client) != 0)
            return "The JACK server did not start the command's client";
        active = true;
        for (const auto& [from, to] : connections)
            if (jack.jack_connect (client, from.toRawUTF8(), to.toRawUTF8()) != 0)
            {
                stop();
                return "Cannot connect " + from + " to " + to;
            }
        // Armed once connected, so the take's pre-roll hears the return, not
        // a port with nothing on it yet.
        take.store (&t, std::memory_order_release);
        return {};
    }

    void stop() override
    {
        take.store (nullptr, std::memory_order_release);
        if (! active)
            return;
        active = false;
        if (serverGone.load())
            return;
        for (const auto& [from, to] : connections)
            jack.jack_disconnect (client, from.toRawUTF8(), to.toRawUTF8());
        jack.jack_deactivate (client);
    }

    juce::String lostReason() const override
    {
        return serverGone.load() ? capitalised (serverLabel (serverName)) + " stopped" : juce::String();
    }

private:
    juce::String ownName (jack_port_t* port) const { return juce::String::fromUTF8 (jack.jack_port_name (port)); }

    // Ports to suggest: not the command's own, which may still be named
    // (its output as a software loopback for --ref).
    juce::StringArray others (juce::StringArray ports) const
    {
        const auto own = juce::String::fromUTF8 (jack.jack_get_client_name (client)) + ":";
        juce::StringArray kept;
        for (const auto& p : ports)
            if (! p.startsWith (own))
                kept.add (p);
        return kept;
    }

    // A channel number counts the server's physical ports (the interface's
    // channels); anything else names a port.
    juce::String resolve (const char* option, const juce::String& channel, unsigned long direction, juce::String& error) const
    {
        const auto physical = PortList (jack, client, direction | JackPortIsPhysical).all();
        const auto any = PortList (jack, client, direction).all();
        const auto suggested = others (any);
        const auto kind = direction == JackPortIsInput ? juce::String ("playback") : juce::String ("capture");
        if (channel.containsOnly ("0123456789"))
        {
            const auto index = channel.getIntValue() - 1;
            if (juce::isPositiveAndBelow (index, physical.size()))
                return physical[index];
            error = juce::String (option) + " " + channel + ": " + serverLabel (serverName) + " has " + juce::String (physical.size()) + " " + kind
                    + " channel" + (physical.size() == 1 ? "" : "s") + (physical.isEmpty() ? juce::String() : " (" + physical.joinIntoString (", ") + ")")
                    + "; a port may be named instead: " + suggested.joinIntoString (", ");
            return {};
        }
        if (any.contains (channel))
            return channel;
        error = juce::String (option) + " " + channel + ": no such " + (direction == JackPortIsInput ? "input" : "output") + " port; "
                + serverLabel (serverName) + " has " + (suggested.isEmpty() ? juce::String ("none") : suggested.joinIntoString (", "));
        return {};
    }

    static int processCallback (jack_nframes_t frames, void* arg)
    {
        auto& self = *static_cast<JackCaptureDevice*> (arg);
        const auto& jack = self.jack;
        auto* out = static_cast<float*> (jack.jack_port_get_buffer (self.outPort, frames));
        const auto* in = static_cast<const float*> (jack.jack_port_get_buffer (self.inPort, frames));
        const auto* ref = self.refPort != nullptr ? static_cast<const float*> (jack.jack_port_get_buffer (self.refPort, frames)) : nullptr;
        if (auto* t = self.take.load (std::memory_order_acquire))
            t->process (in, ref, out, (int) frames, (std::int64_t) jack.jack_last_frame_time (self.client));
        else
            std::fill (out, out + frames, 0.0f);
        return 0;
    }

    static int xrunCallback (void* arg)
    {
        if (auto* t = static_cast<JackCaptureDevice*> (arg)->take.load (std::memory_order_acquire))
            t->noteDropout();
        return 0;
    }

    static void shutdownCallback (void* arg) { static_cast<JackCaptureDevice*> (arg)->serverGone.store (true); }

    const JackLibrary& jack;
    jack_client_t* client;
    juce::String serverName;
    jack_port_t* outPort = nullptr;
    jack_port_t* inPort = nullptr;
    jack_port_t* refPort = nullptr;
    std::vector<std::pair<juce::String, juce::String>> connections; // source, destination
    std::atomic<CaptureTake*> take { nullptr };
    std::atomic<bool> serverGone { false };
    bool active = false;
    int periodFound = 0; // before --buffer changed it
};
} // namespace

std::unique_ptr<CaptureDevice> openJackCaptureDevice (const CaptureSettings& settings, juce::String& error)
{
    const auto* jack = JackLibrary::load (error);
    if (jack == nullptr)
        return nullptr;
    auto* client = openClient (*jack, settings.device, error);
    if (client == nullptr)
        return nullptr;
    auto device = std::make_unique<JackCaptureDevice> (*jack, client, settings.device);
    error = device->prepare (settings);
    return error.isEmpty() ? std::move (device) : nullptr;
}

juce::String listJackPorts (const juce::String& serverName)
{
    juce::String error;
    const auto* jack = JackLibrary::load (error);
    if (jack == nullptr)
        return "  " + error + "\n";
    auto* client = openClient (*jack, serverName, error);
    if (client == nullptr)
        return "  " + error + "\n";
    juce::String text;
    text << "  " << serverLabel (serverName) << ": " << (int) jack->jack_get_sample_rate (client) << " Hz, period " << (int) jack->jack_get_buffer_size (client) << "\n";
    auto section = [&] (const char* title, unsigned long flags)
    {
        const auto physical = PortList (*jack, client, flags | JackPortIsPhysical).all();
        text << "    " << title << "\n";
        for (int i = 0; i < physical.size(); ++i)
            text << "      " << juce::String (i + 1).paddedLeft (' ', 2) << "  " << physical[i] << "\n";
        for (const auto& port : PortList (*jack, client, flags).all())
            if (! physical.contains (port))
                text << "          " << port << "\n";
    };
    section ("inputs (for --out: numbered are the interface's playback channels; any may be named)", JackPortIsInput);
    section ("outputs (for --in and --ref: numbered are the interface's capture channels; any may be named)", JackPortIsOutput);
    jack->jack_client_close (client);
    return text;
}
