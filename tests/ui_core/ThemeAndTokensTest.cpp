#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"
#include "ui_core/ThemeColours.h"

#include <gtest/gtest.h>

using namespace ui_core;

namespace
{
struct DefaultTheme : ::testing::Test
{
    void SetUp() override { setTheme (0.011f, 0.086f, 1.0f, 1.0f, true, 0.716f); }
    void TearDown() override { SetUp(); }
};

juce::String rgb (juce::Colour c)
{
    return juce::String (c.getRed()) + "," + juce::String (c.getGreen()) + "," + juce::String (c.getBlue());
}
} // namespace

TEST_F (DefaultTheme, rampColoursOfTheDefaultTheme)
{
    struct Case
    {
        char ramp;
        int step;
        const char* expected;
    };
    for (const auto& c : { Case { 'P', 5, "224,88,79" }, Case { 'P', 6, "230,96,87" }, Case { 'P', 10, "252,141,133" },
                           Case { 'S', 7, "252,150,41" }, Case { 'S', 10, "252,176,95" }, Case { 'N', 0, "18,17,17" },
                           Case { 'N', 1, "26,25,25" }, Case { 'N', 4, "69,65,65" }, Case { 'N', 8, "212,206,206" },
                           Case { 'N', 9, "240,234,233" } })
    {
        const auto colour = rampStep (c.ramp, c.step);
        EXPECT_EQ (rgb (colour), c.expected) << c.ramp << c.step;
        EXPECT_TRUE (colour.isOpaque());
    }
    EXPECT_EQ (neutralColour (12), neutralColour (9));
    EXPECT_EQ (primaryColour (-3), primaryColour (0));
}

TEST_F (DefaultTheme, hueWrapsAndSaturationScaleSaturates)
{
    setTheme (1.0f, 0.086f, 1.0f, 1.0f, true, 0.716f);
    std::vector<juce::Colour> atOne;
    for (int i = 0; i <= 10; ++i)
        atOne.push_back (primaryColour (i));
    setTheme (0.0f, 0.086f, 1.0f, 1.0f, true, 0.716f);
    for (int i = 0; i <= 10; ++i)
        EXPECT_EQ (primaryColour (i), atOne[(size_t) i]) << i;

    setTheme (0.011f, 0.086f, 2.0f, 1.0f, true, 0.716f);
    const float v[] = { 0.30f, 0.39f, 0.48f, 0.58f, 0.78f, 0.88f, 0.90f, 0.99f, 1.00f, 0.98f };
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ (primaryColour (i), juce::Colour (0.011f, 1.0f, v[i], 1.0f)) << i;
    EXPECT_EQ (primaryColour (10), juce::Colour (0.011f, 0.948f, 0.99f, 1.0f));
}

TEST_F (DefaultTheme, setThemeClampsAndCountsEveryCall)
{
    const auto before = getTheme().revision.load();
    setTheme (-0.2f, 1.4f, 3.0f, 0.1f, false, 1.5f);
    const auto& t = getTheme();
    EXPECT_EQ (t.primaryHue, 0.0f);
    EXPECT_EQ (t.secondaryHue, 1.0f);
    EXPECT_EQ (t.primarySaturationScale, 2.0f);
    EXPECT_EQ (t.secondarySaturationScale, 0.25f);
    EXPECT_FALSE (t.glowEnabled);
    EXPECT_EQ (t.glowIntensity, 1.0f);

    setTheme (std::nanf (""), 0.5f, 1.0f, 1.0f, true, 0.5f);
    EXPECT_EQ (getTheme().primaryHue, 0.011f) << "NaN falls back to the default";

    setTheme (0.3f, 0.5f, 1.0f, 1.0f, true, 0.5f);
    setTheme (0.3f, 0.5f, 1.0f, 1.0f, true, 0.5f);
    EXPECT_EQ (getTheme().revision.load(), before + 4);
}

// Each ramp follows its own part of the theme: a new primary hue changes the
// primary entries (and the neutrals, tinted by it) but no secondary one; a new
// secondary hue the secondary entries only. A table held across the change sees the new colours.
TEST_F (DefaultTheme, tokenTablesFollowTheTheme)
{
    ASSERT_EQ (palette().size(), 71u);
    EXPECT_EQ (alphaLevels().size(), 32u);
    EXPECT_EQ (alphaLevels()[17], 0.25f);
    EXPECT_EQ (spacingTokens()[1], 16);
    EXPECT_EQ (borderWidthTokens()[4], 2.5f);
    EXPECT_EQ (radiusTokens()[7], 12.0f);
    ASSERT_EQ (controlStyles().size(), 6u);
    EXPECT_FALSE (controlStyles()[4].hasCornerRadius);
    EXPECT_EQ (controlStyles()[4].levels[5], 2.0f);
    EXPECT_EQ (accentToggleStyle().sizes[2], 26);

    struct Snapshot
    {
        juce::Colour neutral1, neutral8, primary6, primary10, secondaryControl, primaryText;
    };
    auto snapshot = []
    {
        return Snapshot { palette()[1], palette()[70], palette()[7], palette()[22], controlStyles()[1].colours[0], textColours()[5] };
    };
    const auto& held = palette();
    const auto initial = snapshot();
    EXPECT_NEAR (initial.primary6.getHue(), getTheme().primaryHue, 0.01f);

    setTheme (0.6f, getTheme().secondaryHue, 1.0f, 1.0f, true, 0.716f);
    const auto primaryMoved = snapshot();
    EXPECT_NE (primaryMoved.primary6, initial.primary6);
    EXPECT_NE (primaryMoved.primary10, initial.primary10);
    EXPECT_NE (primaryMoved.primaryText, initial.primaryText);
    EXPECT_NEAR (primaryMoved.primary6.getHue(), 0.6f, 0.01f);
    EXPECT_EQ (primaryMoved.secondaryControl, initial.secondaryControl);
    EXPECT_EQ (held[7], primaryMoved.primary6) << "a table held before the change sees the rebuilt colours";

    setTheme (0.6f, 0.3f, 1.0f, 1.0f, true, 0.716f);
    const auto secondaryMoved = snapshot();
    EXPECT_NE (secondaryMoved.secondaryControl, primaryMoved.secondaryControl);
    EXPECT_EQ (secondaryMoved.primary6, primaryMoved.primary6);
    EXPECT_EQ (secondaryMoved.neutral1, primaryMoved.neutral1);
    EXPECT_EQ (secondaryMoved.neutral8, primaryMoved.neutral8);
}

TEST (Fonts, typefaceSelectionAndTextStyles)
{
    auto name = [] (juce::Typeface::Ptr t) { return t->getName() + " " + t->getStyle(); };
    EXPECT_EQ (name (interTypeface (0)), "Inter Regular");
    EXPECT_EQ (name (interTypeface (3)), "Inter Bold");
    EXPECT_EQ (name (interTypeface (9)), "Inter Regular");
    EXPECT_EQ (name (displayTypeface (0, 0)), "Space Mono Bold");
    EXPECT_EQ (name (displayTypeface (0, 3)), "Space Mono Regular");
    EXPECT_EQ (name (displayTypeface (1, 3)), "Nunito SemiBold");
    EXPECT_EQ (name (displayTypeface (1, 7)), "Inter Regular");
    EXPECT_EQ (name (displayTypeface (5, 0)), "Inter Regular");
    EXPECT_EQ (interTypeface (1).get(), interTypeface (1).get()) << "created once";

    const auto large = makeTextStyle (textLarge);
    EXPECT_FLOAT_EQ (large.font.getHeight(), 17.12f);
    EXPECT_FLOAT_EQ (large.lineHeight, 25.68f);
    EXPECT_EQ (name (large.font.getTypefacePtr()), "Nunito SemiBold");
    const auto mono = makeTextStyle (textMono);
    EXPECT_FLOAT_EQ (mono.font.getHeight(), 13.0f);
    EXPECT_FLOAT_EQ (mono.lineHeight, 18.0f);
    EXPECT_FLOAT_EQ (makeTextStyle (textSmall).lineHeight, 19.26f);
}
