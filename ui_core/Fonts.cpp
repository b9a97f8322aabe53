#include "ui_core/Fonts.h"

#include "SonderlithFonts.h"

namespace ui_core
{
namespace
{
enum class Face
{
    interRegular, interMedium, interSemiBold, interBold,
    spaceMonoRegular, spaceMonoBold,
    nunitoRegular, nunitoMedium, nunitoSemiBold, nunitoBold,
    count
};

juce::Typeface::Ptr load (Face face)
{
    using namespace SonderlithFonts;
    struct Data
    {
        const char* bytes;
        int size;
    };
    static const Data data[] = {
        { Inter_400Regular_ttf, Inter_400Regular_ttfSize },       { Inter_500Medium_ttf, Inter_500Medium_ttfSize },
        { Inter_600SemiBold_ttf, Inter_600SemiBold_ttfSize },     { Inter_700Bold_ttf, Inter_700Bold_ttfSize },
        { SpaceMono_400Regular_ttf, SpaceMono_400Regular_ttfSize }, { SpaceMono_700Bold_ttf, SpaceMono_700Bold_ttfSize },
        { Nunito_400Regular_ttf, Nunito_400Regular_ttfSize },     { Nunito_500Medium_ttf, Nunito_500Medium_ttfSize },
        { Nunito_600SemiBold_ttf, Nunito_600SemiBold_ttfSize },   { Nunito_700Bold_ttf, Nunito_700Bold_ttfSize },
    };
    const auto& d = data[(size_t) face];
    return juce::Typeface::createSystemTypefaceFor (d.bytes, (size_t) d.size);
}

juce::Typeface::Ptr typeface (Face face)
{
    // Built once, together, the first time any is asked for (thread-safe static).
    static const std::vector<juce::Typeface::Ptr> faces = []
    {
        std::vector<juce::Typeface::Ptr> all;
        for (int f = 0; f < (int) Face::count; ++f)
            all.push_back (load ((Face) f));
        return all;
    }();
    return faces[(size_t) face];
}
} // namespace

juce::Typeface::Ptr interTypeface (int weight)
{
    switch (weight)
    {
        case 1: return typeface (Face::interMedium);
        case 2: return typeface (Face::interSemiBold);
        case 3: return typeface (Face::interBold);
        default: return typeface (Face::interRegular);
    }
}

juce::Typeface::Ptr displayTypeface (int family, int weight)
{
    if (family == 0)
    {
        if (weight == 0)
            return typeface (Face::spaceMonoBold);
        if (weight >= 1 && weight <= 3)
            return typeface (Face::spaceMonoRegular);
    }
    else if (family == 1)
    {
        switch (weight)
        {
            case 0: return typeface (Face::nunitoBold);
            case 1: return typeface (Face::nunitoMedium);
            case 2: return typeface (Face::nunitoRegular);
            case 3: return typeface (Face::nunitoSemiBold);
            default: break;
        }
    }
    return typeface (Face::interRegular);
}

juce::Font interFont (int weight, float height)
{
    return juce::Font (juce::FontOptions (interTypeface (weight)).withHeight (height));
}

juce::Font monoFont (float height)
{
    return juce::Font (juce::FontOptions (typeface (Face::spaceMonoRegular)).withHeight (height));
}

TextStyle makeTextStyle (const TextStyleSpec& style)
{
    const auto scale = style.family == 1 ? 1.07f : 1.0f;
    const auto options = juce::FontOptions (displayTypeface (style.family, style.weight))
                             .withHeight (scale * style.size)
                             .withKerningFactor (style.kerning);
    return { juce::Font (options), scale * style.lineHeight, style.kerning, style.flag };
}
} // namespace ui_core
