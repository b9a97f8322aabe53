#include "tools/demo_host/Recording.h"

#include <sndfile.h>

#include <algorithm>
#include <memory>

namespace
{
// Ten minutes at 192 kHz: the host holds the whole loop in memory.
constexpr sf_count_t longestRecording = 192000LL * 600;

struct Channels
{
    std::vector<std::vector<float>> channels;
    double sampleRate = 0.0;
};

std::variant<Channels, std::string> readFile (const std::string& path)
{
    SF_INFO info {};
    const std::unique_ptr<SNDFILE, int (*) (SNDFILE*)> file (sf_open (path.c_str(), SFM_READ, &info), sf_close);
    if (file == nullptr)
        return path + ": " + sf_strerror (nullptr);
    if (info.frames <= 0 || info.channels <= 0)
        return path + ": holds no audio";
    if (info.frames > longestRecording)
        return path + ": longer than the demo host loops (ten minutes at 192 kHz)";
    std::vector<float> interleaved ((size_t) (info.frames * info.channels));
    const auto read = sf_readf_float (file.get(), interleaved.data(), info.frames);
    if (read <= 0)
        return path + ": " + sf_strerror (file.get());
    Channels c;
    c.sampleRate = info.samplerate;
    c.channels.assign ((size_t) info.channels, std::vector<float> ((size_t) read));
    for (sf_count_t i = 0; i < read; ++i)
        for (int ch = 0; ch < info.channels; ++ch)
            c.channels[(size_t) ch][(size_t) i] = interleaved[(size_t) (i * info.channels + ch)];
    return c;
}

// X and Y loop together, so the longer is cut to the shorter.
Recording pairUp (std::vector<float> x, std::vector<float> y, double sampleRate)
{
    const auto n = std::min (x.size(), y.size());
    x.resize (n);
    y.resize (n);
    return { std::move (x), std::move (y), sampleRate };
}
} // namespace

std::variant<Recording, std::string> loadRecording (const std::string& xPath, const std::string& yPath)
{
    auto x = readFile (xPath);
    if (auto* reason = std::get_if<std::string> (&x))
        return *reason;
    auto y = readFile (yPath);
    if (auto* reason = std::get_if<std::string> (&y))
        return *reason;
    auto& xs = std::get<Channels> (x);
    auto& ys = std::get<Channels> (y);
    if (xs.sampleRate != ys.sampleRate)
        return "X is at " + std::to_string ((int) xs.sampleRate) + " Hz, Y at " + std::to_string ((int) ys.sampleRate) + " Hz: the pairs would not meet";
    return pairUp (std::move (xs.channels[0]), std::move (ys.channels[0]), xs.sampleRate);
}

std::variant<Recording, std::string> loadStereoRecording (const std::string& path)
{
    auto file = readFile (path);
    if (auto* reason = std::get_if<std::string> (&file))
        return *reason;
    auto& c = std::get<Channels> (file);
    if (c.channels.size() < 2)
        return path + ": has one channel; --xy takes X left and Y right";
    return pairUp (std::move (c.channels[0]), std::move (c.channels[1]), c.sampleRate);
}
