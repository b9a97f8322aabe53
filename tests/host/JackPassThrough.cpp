// A small JACK client pair for the LV2 test in a real host: a player feeds
// jalv's four audio inputs (main and sidechain, each its own signal) and a
// recorder takes its two outputs; both run in the same JACK cycle as jalv,
// so the outputs must equal the main inputs sample for sample.
// usage: sonderlith_jack_passthrough CLIENT SECONDS (the server from JACK_DEFAULT_SERVER)
#include <jack/jack.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace
{
// A deterministic signal of the frame time, a different one per channel.
float signalAt (std::uint32_t frame, std::uint32_t channel)
{
    auto h = frame * 2654435761u ^ (channel + 1) * 40503u;
    h ^= h >> 15;
    h *= 2246822519u;
    h ^= h >> 13;
    return (float) ((double) (h & 0xffffff) / 16777215.0 * 1.8 - 0.9);
}

struct Player
{
    jack_client_t* client = nullptr;
    std::array<jack_port_t*, 4> ports {};
};

struct Recorder
{
    jack_client_t* client = nullptr;
    std::array<jack_port_t*, 2> ports {};
    std::vector<float> samples[2];
    std::vector<std::uint32_t> frames;
    std::atomic<size_t> recorded { 0 };
    std::atomic<bool> armed { false }; // set once every connection is made
};

int play (jack_nframes_t n, void* arg)
{
    auto& p = *static_cast<Player*> (arg);
    const auto start = jack_last_frame_time (p.client);
    for (std::uint32_t c = 0; c < p.ports.size(); ++c)
    {
        auto* out = static_cast<float*> (jack_port_get_buffer (p.ports[c], n));
        for (jack_nframes_t i = 0; i < n; ++i)
            out[i] = signalAt (start + i, c);
    }
    return 0;
}

int record (jack_nframes_t n, void* arg)
{
    auto& r = *static_cast<Recorder*> (arg);
    if (! r.armed.load (std::memory_order_acquire))
        return 0;
    const auto start = jack_last_frame_time (r.client);
    auto at = r.recorded.load (std::memory_order_relaxed);
    const float* in[2] = { static_cast<const float*> (jack_port_get_buffer (r.ports[0], n)),
                           static_cast<const float*> (jack_port_get_buffer (r.ports[1], n)) };
    for (jack_nframes_t i = 0; i < n && at < r.frames.size(); ++i, ++at)
    {
        r.frames[at] = start + i;
        r.samples[0][at] = in[0][i];
        r.samples[1][at] = in[1][i];
    }
    r.recorded.store (at, std::memory_order_release);
    return 0;
}

jack_client_t* open (const char* name)
{
    jack_status_t status;
    auto* client = jack_client_open (name, JackNoStartServer, &status);
    if (client == nullptr)
        std::fprintf (stderr, "cannot reach the JACK server (status 0x%x)\n", (unsigned) status);
    return client;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf (stderr, "usage: %s CLIENT SECONDS\n", argv[0]);
        return 2;
    }
    const std::string plugin = argv[1];
    const auto seconds = std::atof (argv[2]);

    Player player;
    Recorder recorder;
    player.client = open ("sonderlith_player");
    recorder.client = open ("sonderlith_recorder");
    if (player.client == nullptr || recorder.client == nullptr)
        return 1;
    const auto rate = jack_get_sample_rate (recorder.client);
    const auto capacity = (size_t) (seconds * rate);
    recorder.frames.resize (capacity);
    for (auto& s : recorder.samples)
        s.resize (capacity);

    const char* playerPorts[] = { "main_left", "main_right", "sidechain_left", "sidechain_right" };
    for (size_t c = 0; c < 4; ++c)
        player.ports[c] = jack_port_register (player.client, playerPorts[c], JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    recorder.ports[0] = jack_port_register (recorder.client, "left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    recorder.ports[1] = jack_port_register (recorder.client, "right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback (player.client, play, &player);
    jack_set_process_callback (recorder.client, record, &recorder);
    if (jack_activate (player.client) != 0 || jack_activate (recorder.client) != 0)
        return 1;

    for (size_t c = 0; c < 4; ++c)
        if (jack_connect (player.client, jack_port_name (player.ports[c]), (plugin + ":audio_in_" + std::to_string (c + 1)).c_str()) != 0)
        {
            std::fprintf (stderr, "cannot connect to %s:audio_in_%zu\n", plugin.c_str(), c + 1);
            return 1;
        }
    for (size_t c = 0; c < 2; ++c)
        if (jack_connect (recorder.client, (plugin + ":audio_out_" + std::to_string (c + 1)).c_str(), jack_port_name (recorder.ports[c])) != 0)
        {
            std::fprintf (stderr, "cannot connect from %s:audio_out_%zu\n", plugin.c_str(), c + 1);
            return 1;
        }

    // The connections take effect at the next cycle; recording starts a few
    // cycles later, so every recorded frame went all the way through.
    std::this_thread::sleep_for (std::chrono::milliseconds (100));
    recorder.armed.store (true, std::memory_order_release);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double> (seconds * 4.0 + 10.0);
    while (recorder.recorded.load (std::memory_order_acquire) < capacity && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for (std::chrono::milliseconds (20));
    jack_deactivate (recorder.client);
    jack_deactivate (player.client);

    // Every recorded sample must be the main input's own.
    const auto recorded = recorder.recorded.load (std::memory_order_acquire);
    const size_t first = 0;
    size_t equal = 0, different = 0;
    for (size_t i = first; i < recorded; ++i)
        for (std::uint32_t c = 0; c < 2; ++c)
            (recorder.samples[c][i] == signalAt (recorder.frames[i], c) ? equal : different) += 1;
    std::printf ("recorded %zu frames at %u Hz; from frame %zu on %zu samples equal the main input, %zu differ\n", recorded, rate, first, equal,
                 different);
    jack_client_close (recorder.client);
    jack_client_close (player.client);
    const auto enough = equal >= (size_t) rate; // at least half a second of both channels
    std::printf ("bit-exact pass-through: %s\n", different == 0 && enough ? "yes" : "no");
    return different == 0 && enough ? 0 : 1;
}
