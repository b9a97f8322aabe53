#pragma once

#include "plugin/PluginAudioProcessor.h"

#include <atomic>
#include <functional>
#include <vector>
#include <thread>

namespace test
{
// The device under test as a host would route it: a 0 dB sine into tanh(3x);
// the sine reaches the sidechain (X), the device's output the main input (Y).
// Plays until `pairs` more pairs were written, on the calling thread.
void playThroughTanh (PluginAudioProcessor& processor, int pairs, bool withSidechain = true);

// Any material through any device, routed the same way, block by block.
void playThrough (PluginAudioProcessor& processor, const std::vector<double>& x, const std::function<double (double)>& device);
// X into the sidechain and Y into the main input, pair by pair (a whole number of blocks).
void playPairs (PluginAudioProcessor& processor, const std::vector<double>& x, const std::vector<double>& y);

// A host's audio thread: plays the device block after block, roughly in real
// time unless told to run flat out, until destroyed.
class HostAudioThread
{
public:
    explicit HostAudioThread (PluginAudioProcessor& processor, bool withSidechain = true, bool realTime = true);
    ~HostAudioThread();

private:
    std::atomic<bool> running { true };
    std::thread thread;
};
} // namespace test
