#include "tools/sonderlith/StimulusFile.h"

#include "dsp/Stimulus.h"
#include "tools/sonderlith/WavFileWrite.h"

juce::Result writeStimulusFile (const juce::File& file, double rate, double seconds, bool floatingPoint)
{
    if (file.isDirectory())
        return juce::Result::fail ("it is a folder");
    const auto signal = makeStimulus (rate, seconds);
    const std::vector<float> samples (signal.begin(), signal.end());
    return writeWavSafely (file, rate, { samples.data() }, samples.size(), floatingPoint);
}
