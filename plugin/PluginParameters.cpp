#include "plugin/PluginParameters.h"

#include <array>
#include <cmath>

namespace
{
std::unique_ptr<juce::AudioParameterFloat> makeFloat (const char* id, const char* name, float min, float max)
{
    return std::make_unique<juce::AudioParameterFloat> (juce::ParameterID { id, 0 }, name,
                                                        juce::NormalisableRange<float> (min, max, 0.01f), 0.0f);
}

std::unique_ptr<juce::AudioParameterChoice> makeChoice (const char* id, const char* name,
                                                        const juce::StringArray& choices, int defaultIndex)
{
    return std::make_unique<juce::AudioParameterChoice> (juce::ParameterID { id, 0 }, name, choices, defaultIndex);
}

int numChoicesOf (const juce::AudioProcessorValueTreeState& state, const juce::String& parameterId)
{
    if (auto* choice = dynamic_cast<juce::AudioParameterChoice*> (state.getParameter (parameterId)))
        return choice->choices.size();
    return 1;
}
} // namespace

juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout()
{
    using namespace ParameterIds;
    juce::AudioProcessorValueTreeState::ParameterLayout layout;
    layout.add (makeFloat (scaleX, "Scale X", -36.0f, 36.0f),
                makeFloat (scaleY, "Scale Y", -36.0f, 36.0f),
                makeFloat (latencyX, "Latency X", 0.0f, 512.0f),
                makeFloat (latencyY, "Latency Y", 0.0f, 512.0f),
                std::make_unique<juce::AudioParameterInt> (juce::ParameterID { smoothing, 0 }, "Smoothing", 1, 100, 50),
                makeChoice (captureAlgorithm, "Capture Algorithm", { "ODR", "Mean", "Auto" }, 1),
                makeChoice (captureLength, "Capture Length", { "16k", "32k", "64k", "128k" }, 2),
                makeChoice (visualizationMode, "Visualization Mode", { "tfunc", "time" }, 0),
                makeChoice (timeWindow, "Time Window", { "500", "1k", "2k", "4k", "8k" }, 2));
    return layout;
}

int choiceIndexFromValue (float value, int numChoices) noexcept
{
    if (! std::isfinite (value))
        return 0;
    return juce::jlimit (0, juce::jmax (0, numChoices - 1), (int) std::lround (value));
}

int readChoiceIndex (const juce::AudioProcessorValueTreeState& state, const juce::String& parameterId)
{
    auto* value = state.getRawParameterValue (parameterId);
    if (value == nullptr)
        return 0;
    return choiceIndexFromValue (value->load(), numChoicesOf (state, parameterId));
}

int readSmoothing (const juce::AudioProcessorValueTreeState& state)
{
    return (int) readFloat (state, ParameterIds::smoothing);
}

float readFloat (const juce::AudioProcessorValueTreeState& state, const juce::String& parameterId)
{
    auto* value = state.getRawParameterValue (parameterId);
    if (value == nullptr)
        return 0.0f;
    const auto v = value->load();
    if (std::isfinite (v))
        return v;

    // A host that automates with NaN or infinity gets the default, never a
    // value that would poison alignment or integer conversions.
    auto* parameter = state.getParameter (parameterId);
    return parameter->convertFrom0to1 (parameter->getDefaultValue());
}

int captureLengthSamples (int captureLengthIndex) noexcept
{
    static constexpr std::array<int, 4> lengths { 16384, 32768, 65536, 131072 };
    return lengths[(size_t) juce::jlimit (0, 3, captureLengthIndex)];
}

int timeWindowSamples (int timeWindowIndex) noexcept
{
    static constexpr std::array<int, 5> windows { 500, 1024, 2048, 4096, 8192 };
    return windows[(size_t) juce::jlimit (0, 4, timeWindowIndex)];
}

namespace
{
bool isSaneNumber (double v) { return std::isfinite (v) && std::abs (v) <= 1.0e9; }
} // namespace

bool stateValuesAreSane (const juce::ValueTree& state)
{
    for (int i = 0; i < state.getNumProperties(); ++i)
    {
        const auto name = state.getPropertyName (i);
        const auto& value = state.getProperty (name);
        // The toolkit turns properties into text and parameter values; a NaN,
        // an infinity or a double beyond int range is undefined behaviour there.
        if (value.isDouble() && ! isSaneNumber ((double) value))
            return false;
        if (name.toString() == "value")
        {
            if (! (value.isInt() || value.isInt64() || value.isDouble() || value.isBool() || value.isString()))
                return false;
            if (! isSaneNumber (value.isString() ? value.toString().getDoubleValue() : (double) value))
                return false;
        }
    }

    for (const auto& child : state)
        if (! stateValuesAreSane (child))
            return false;
    return true;
}

CaptureAlgorithm captureAlgorithmOf (int index) noexcept
{
    return index == 0 ? CaptureAlgorithm::ODR : index == 2 ? CaptureAlgorithm::Auto : CaptureAlgorithm::Mean;
}
