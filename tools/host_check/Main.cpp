#include "tools/host_check/HostCheck.h"
#include "tools/hosting/Vst3Host.h"

#include <iostream>

// sonderlith host-check PATH/Sonderlith.vst3 (or .lv2): what a host sees of the
// bundle, then the demo device streamed through it.
int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: sonderlith host-check PATH/Sonderlith.vst3 or PATH/Sonderlith.lv2\n";
        return 2;
    }
    juce::ScopedJuceInitialiser_GUI juce;
    const auto bundle = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    auto loaded = vst3host::loadBundle (bundle, 48000.0, 512);
    if (loaded.instance == nullptr)
    {
        std::cerr << "host-check: " << loaded.error << "\n";
        return 1;
    }
    std::cout << vst3host::describe (loaded.description, *loaded.instance);

    const auto check = streamDemoDevice (*loaded.instance, 3.0);
    std::cout << "\nstreamed " << check.samples << " samples of the demo device (tanh) on an audio thread\n";
    std::cout << "sidechain bus active:  " << (check.sidechainActive ? "yes" : "no") << "\n";
    std::cout << "bit-exact pass-through: " << (check.passedThrough ? "yes" : "no") << "\n";
    if (check.problem.isNotEmpty())
        std::cerr << "problem: " << check.problem << "\n";
    return check.passedThrough && check.sidechainActive ? 0 : 1;
}
