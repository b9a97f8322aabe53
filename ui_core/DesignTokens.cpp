#include "ui_core/DesignTokens.h"

#include "ui_core/ThemeColours.h"

#include <cmath>

namespace ui_core
{
namespace
{
struct Step
{
    char ramp;
    int step;
};

std::vector<juce::Colour> resolve (std::initializer_list<Step> steps)
{
    std::vector<juce::Colour> colours;
    colours.reserve (steps.size());
    for (const auto& s : steps)
        colours.push_back (rampStep (s.ramp, s.step));
    return colours;
}

template <size_t N>
std::array<juce::Colour, N> resolveArray (std::initializer_list<Step> steps)
{
    std::array<juce::Colour, N> colours;
    size_t i = 0;
    for (const auto& s : steps)
        colours[i++] = rampStep (s.ramp, s.step);
    return colours;
}

// A table with the revision of the theme it was built from; -1 forces the
// first build. Static locals make the first construction thread-safe.
template <typename Table>
struct Cached
{
    Table table;
    int revision = -1;

    template <typename Build>
    const Table& get (Build&& build)
    {
        const auto current = getTheme().revision.load();
        if (revision != current)
        {
            table = build();
            revision = current;
        }
        return table;
    }
};
} // namespace

juce::Colour rampStep (char ramp, int step)
{
    switch (ramp)
    {
        case 'P': return primaryColour (step);
        case 'S': return secondaryColour (step);
        default: return neutralColour (step);
    }
}

juce::Colour withAlphaLevel (juce::Colour colour, float alpha)
{
    const auto byte = alpha <= 0.0f ? 0 : alpha >= 1.0f ? 255 : (int) std::lround (alpha * 255.0f);
    return colour.withAlpha ((juce::uint8) byte);
}

const std::vector<juce::Colour>& palette()
{
    static Cached<std::vector<juce::Colour>> cache;
    return cache.get ([]
                      {
                          return resolve ({ { 'N', 2 }, { 'N', 1 }, { 'N', 3 }, { 'N', 4 }, { 'N', 1 }, { 'N', 0 }, { 'N', 0 }, { 'P', 6 },
                                            { 'N', 8 }, { 'P', 9 }, { 'N', 1 }, { 'N', 5 }, { 'N', 4 }, { 'N', 0 }, { 'N', 0 }, { 'N', 0 },
                                            { 'N', 3 }, { 'N', 2 }, { 'N', 4 }, { 'P', 5 }, { 'P', 6 }, { 'P', 7 }, { 'P', 10 }, { 'P', 6 },
                                            { 'P', 5 }, { 'S', 6 }, { 'S', 7 }, { 'S', 10 }, { 'S', 6 }, { 'N', 0 }, { 'N', 9 }, { 'N', 6 },
                                            { 'N', 3 }, { 'P', 5 }, { 'P', 8 }, { 'N', 0 }, { 'P', 4 }, { 'N', 5 }, { 'P', 6 }, { 'N', 7 },
                                            { 'N', 8 }, { 'N', 3 }, { 'N', 4 }, { 'N', 5 }, { 'N', 0 }, { 'P', 6 }, { 'P', 7 }, { 'P', 5 },
                                            { 'P', 10 }, { 'S', 6 }, { 'S', 7 }, { 'S', 5 }, { 'S', 10 }, { 'N', 0 }, { 'P', 6 }, { 'N', 8 },
                                            { 'P', 7 }, { 'N', 1 }, { 'N', 4 }, { 'N', 1 }, { 'P', 7 }, { 'S', 7 }, { 'P', 4 }, { 'P', 8 },
                                            { 'N', 0 }, { 'N', 1 }, { 'N', 2 }, { 'N', 8 }, { 'N', 3 }, { 'N', 0 }, { 'N', 8 } });
                      });
}

const std::vector<float>& alphaLevels()
{
    static Cached<std::vector<float>> cache;
    return cache.get ([]
                      {
                          return std::vector<float> { 0.4f, 0.6f, 0.8f, 0.4f, 0.6f, 0.8f, 0.4f, 0.6f, 0.6f, 0.4f, 0.6f,
                                                      0.6f, 0.1f, 0.2f, 0.3f, 0.1f, 0.2f, 0.25f, 0,    0,    0,    0,
                                                      0,    0,    1.0f, 0.8f, 0.6f, 0.4f, 0.15f, 0.1f, 0.05f, 0 };
                      });
}

const std::vector<float>& radiusTokens()
{
    static Cached<std::vector<float>> cache;
    return cache.get ([] { return std::vector<float> { 0, 2, 4, 6, 8, 8, 10, 12 }; });
}

const std::vector<int>& spacingTokens()
{
    static Cached<std::vector<int>> cache;
    return cache.get ([] { return std::vector<int> { 6, 16, 8, 0, 2, 3, 4, 8, 12 }; });
}

const std::vector<float>& borderWidthTokens()
{
    static Cached<std::vector<float>> cache;
    return cache.get ([] { return std::vector<float> { 4.0f, 1.0f, 1.5f, 2.0f, 2.5f }; });
}

const std::vector<juce::Colour>& textColours()
{
    static Cached<std::vector<juce::Colour>> cache;
    return cache.get ([] { return resolve ({ { 'N', 0 }, { 'N', 9 }, { 'N', 6 }, { 'N', 3 }, { 'P', 5 }, { 'P', 8 }, { 'N', 0 } }); });
}

const AccentToggleStyle& accentToggleStyle()
{
    static Cached<AccentToggleStyle> cache;
    return cache.get ([]
                      {
                          return AccentToggleStyle { resolveArray<6> ({ { 'P', 6 }, { 'N', 8 }, { 'P', 7 }, { 'N', 4 }, { 'N', 1 }, { 'P', 6 } }),
                                                     { 14, 24, 26, 6 },
                                                     8.0f };
                      });
}

const std::vector<ControlStyle>& controlStyles()
{
    static Cached<std::vector<ControlStyle>> cache;
    return cache.get ([]
                      {
                          const std::array<int, 4> sizes { 16, 8, 32, 72 };
                          const std::array<float, 6> accentLevels { 0.1f, 0.2f, 0.3f, 0.1f, 0.2f, 0.25f };
                          const std::array<float, 6> neutralLevels { 0.4f, 0.6f, 0.6f, 0.4f, 0.6f, 0.6f };
                          return std::vector<ControlStyle> {
                              { resolveArray<6> ({ { 'P', 6 }, { 'P', 7 }, { 'P', 5 }, { 'N', 0 }, { 'N', 0 }, { 'N', 0 } }), accentLevels, 8.0f, true, sizes },
                              { resolveArray<6> ({ { 'S', 6 }, { 'S', 7 }, { 'S', 5 }, { 'N', 0 }, { 'N', 0 }, { 'N', 0 } }), accentLevels, 8.0f, true, sizes },
                              { resolveArray<6> ({ { 'N', 1 }, { 'N', 1 }, { 'N', 1 }, { 'N', 8 }, { 'N', 8 }, { 'P', 9 } }), neutralLevels, 6.0f, true, sizes },
                              { resolveArray<6> ({ { 'N', 4 }, { 'N', 4 }, { 'N', 4 }, { 'N', 8 }, { 'N', 8 }, { 'N', 1 } }), neutralLevels, 8.0f, true, sizes },
                              { resolveArray<6> ({ { 'P', 6 }, { 'P', 6 }, { 'P', 6 }, { 'N', 0 }, { 'N', 0 }, { 'N', 0 } }),
                                { 0.2f, 0.3f, 0.4f, 0.6f, 0.8f, 2.0f }, 0.0f, false, sizes },
                              { resolveArray<6> ({ { 'N', 4 }, { 'N', 4 }, { 'N', 4 }, { 'N', 8 }, { 'N', 8 }, { 'N', 1 } }),
                                { 0.0f, 0.0f, 0.3f, 0.1f, 0.2f, 0.25f }, 8.0f, true, { 0, 0, 32, 72 } },
                          };
                      });
}
} // namespace ui_core
