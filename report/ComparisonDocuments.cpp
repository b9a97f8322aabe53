#include "report/ComparisonDocuments.h"

#include <cmath>

juce::String comparisonAsText (const CurveComparison& comparison)
{
    juce::String text;
    for (size_t i = 0; i < comparison.curves.size(); ++i)
        text << juce::String::charToString ((juce::juce_wchar) ('A' + i)) << "  " << comparison.curves[i].file.getFullPathName() << " ("
             << comparison.curves[i].kind << ")\n";
    for (const auto& d : comparison.pairs)
    {
        text << juce::String::charToString ((juce::juce_wchar) ('A' + d.first)) << " vs " << juce::String::charToString ((juce::juce_wchar) ('A' + d.second))
             << ": max difference " << juce::String (d.maxDifference, 6) << ", rms " << juce::String (d.rmsDifference, 6);
        if (comparison.matchGain)
            text << ", gain " << juce::String (d.gain, 6) << " (" << juce::String (20.0 * std::log10 (std::abs (d.gain) + 1e-300), 3) << " dB)";
        text << (d.withinTolerance ? ": within " : ": BEYOND ") << juce::String (comparison.tolerance) << "\n";
    }
    return text;
}

juce::String comparisonAsJson (const CurveComparison& comparison)
{
    auto object = std::make_unique<juce::DynamicObject>();
    juce::Array<juce::var> inputs, pairs;
    for (const auto& c : comparison.curves)
        inputs.add (c.file.getFullPathName());
    for (const auto& d : comparison.pairs)
    {
        auto pair = std::make_unique<juce::DynamicObject>();
        pair->setProperty ("first", comparison.curves[(size_t) d.first].file.getFullPathName());
        pair->setProperty ("second", comparison.curves[(size_t) d.second].file.getFullPathName());
        pair->setProperty ("gain", d.gain);
        pair->setProperty ("maxDifference", d.maxDifference);
        pair->setProperty ("rmsDifference", d.rmsDifference);
        pair->setProperty ("withinTolerance", d.withinTolerance);
        pairs.add (juce::var (pair.release()));
    }
    object->setProperty ("inputs", inputs);
    object->setProperty ("matchGain", comparison.matchGain);
    object->setProperty ("tolerance", comparison.tolerance);
    object->setProperty ("pairs", pairs);
    if (! comparison.pairs.empty())
    {
        // The first pair's figures at the top level too, for the common A/B case.
        object->setProperty ("maxDifference", comparison.pairs[0].maxDifference);
        object->setProperty ("rmsDifference", comparison.pairs[0].rmsDifference);
    }
    object->setProperty ("withinTolerance", comparison.allWithinTolerance());
    return juce::JSON::toString (juce::var (object.release())) + "\n";
}
