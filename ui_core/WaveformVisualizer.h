#pragma once

#include "ui_core/GlowLayer.h"
#include "ui_core/LitBlockMap.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

namespace ui_core
{
// The plot: an X-versus-Y trace (live pairs or the fitted curve) or a
// two-channel scope, with a blurred halo under a thin core line, a cached
// background and grid, and a bezel (inner shadow and corner mask) on top.
// Repaints only on the display refresh, at most every 16 ms.
class WaveformVisualizer : public juce::Component
{
public:
    struct Style
    {
        juce::Colour backgroundColour;
        juce::Colour traceColour;
        float traceThickness = 2.0f;
        bool glowEnabled = true;
        float glowIntensity = 0.716f;
        float glowSpreadScale = 1.0f;
        float glowSpread = 24.0f;
        float spillOpacity = 0.25f;
        float spillBlurScale = 4.0f;
        float spillMarginTop = 24.0f;
        float spillMarginBottom = 24.0f;
        float spillMarginSide = 24.0f;
        float spillEdgeFade = 8.0f;
        juce::Colour coreColour;
        float coreThickness = 1.0f;
        juce::Colour secondaryColour;
        juce::Colour secondaryCoreColour;
        float secondaryThickness = 1.75f;
        float secondaryAlpha = 0.7f;
        float marginLeft = 8.0f, marginRight = 8.0f, marginTop = 0.0f, marginBottom = 0.0f;
        bool gridEnabled = true;
        juce::Colour gridMinorColour;
        float gridMinorLevel = 0.05f;
        int gridMajorEvery = 2;
        juce::Colour gridMajorColour;
        float gridMajorLevel = 0.1f;
        juce::Colour gridCentreColour;
        float gridCentreLevel = 0.15f;
        float cornerRadius = 6.0f;
        bool cornerMaskEnabled = true;
        juce::Colour cornerMaskColour;
        bool innerShadowEnabled = true;
        float innerShadowDepth = 6.0f;
        float innerShadowStrength = 1.0f;

        bool operator== (const Style&) const = default;
    };

    class BezelOverlay : public juce::Component
    {
    public:
        explicit BezelOverlay (WaveformVisualizer& owner);
        ~BezelOverlay() override;
        void paint (juce::Graphics&) override;

    private:
        WaveformVisualizer& owner;
    };

    WaveformVisualizer();
    ~WaveformVisualizer() override;

    void mouseMove (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;

    void setStyle (const Style&);
    const Style& getStyle() const noexcept { return style; }
    void setPoints (std::vector<std::pair<double, double>> newPoints);
    void setScopeSignals (std::vector<float> x, std::vector<float> y);
    void clearScopeSignals();
    void setGridStrength (float multiplier);
    float getGridStrength() const noexcept { return gridStrength; }
    void setScatterMode (bool shouldScatter);
    bool isScatterMode() const noexcept { return scatterMode; }
    const std::vector<std::pair<double, double>>& getPoints() const noexcept { return points; }
    bool isScopeMode() const noexcept { return scopeMode; }
    void requestPaint();

    juce::Rectangle<float> getContentArea() const noexcept { return contentArea; }
    juce::Rectangle<float> getPlotArea() const noexcept { return plotArea; }
    const juce::Path& getPrimaryTrace() const noexcept { return primaryTrace; }
    const juce::Path& getSecondaryTrace() const noexcept { return secondaryTrace; }
    int glowFramesRemaining() const noexcept;
    bool isRepaintRequested() const noexcept { return repaintRequested; }

    // The on-screen position of a normalised point (-1..1 on both axes).
    juce::Point<float> toScreen (double x, double y) const noexcept;

    std::function<void (const juce::MouseEvent&, const juce::String&)> onMouseEvent;
    std::function<void()> onContentChanged;
    std::function<void()> onRepaintDispatched;
    // The time the repaint throttle reads, in milliseconds (tests step it).
    std::function<double()> millisecondClock = [] { return juce::Time::getMillisecondCounterHiRes(); };

    // Runs one display-refresh step now (what the vertical blank would do).
    void displayRefreshed();

    // Tests compare the fast background composite with a plain blit.
    static void setFastBackgroundForTesting (bool enabled) noexcept { fastBackground = enabled; }

private:
    void layout();
    void invalidateCaches();
    void paintBackground (juce::Graphics&);
    void drawCachedBackground (juce::Graphics&);
    void drawBackgroundInto (juce::Graphics&);
    void drawGrid (juce::Graphics&);
    void paintTrace (juce::Graphics&);
    void paintScope (juce::Graphics&);
    void buildScopePath (juce::Path&, const std::vector<float>&) const;
    void stroke (juce::Graphics&, const juce::Path&, juce::Colour, float width);
    void giveGlowFrames();
    void contentChanged();
    void forward (const juce::MouseEvent&, const char* kind);
    void paintBezel (juce::Graphics&);
    void drawInnerShadow (juce::Graphics&);
    void drawCornerMask (juce::Graphics&);

    Style style;
    std::vector<std::pair<double, double>> points;
    bool hasPoints = false;
    std::vector<float> scopeX, scopeY;
    bool scopeMode = false;
    juce::Rectangle<float> plotArea, contentArea;
    juce::Path primaryTrace, secondaryTrace;
    std::unique_ptr<GlowLayer> primaryGlow, secondaryGlow;
    bool repaintRequested = false;
    double lastRepaintMs = 0.0;
    double lastPaintMs = 0.0;
    std::unique_ptr<juce::VBlankAttachment> vblank;
    BezelOverlay bezel { *this };
    static constexpr double gridStep = 0.1;
    float gridStrength = 1.0f;
    bool scatterMode = false;
    juce::Image backgroundImage;
    float backgroundScale = 0.0f;
    bool backgroundValid = false;
    juce::Image coreLayer; // the core line's own layer, reused every frame
    LitBlockMap coreBlocks;
    struct GridLine
    {
        juce::Rectangle<int> area;
        juce::Colour colour;
    };
    juce::Array<GridLine> gridLines; // the cached grid, replayed by the fast composite
    static bool fastBackground;
    juce::Image bezelImage;
    float bezelScale = 0.0f;
    bool bezelValid = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WaveformVisualizer)
};

// The plot's style from the current theme.
WaveformVisualizer::Style defaultVisualizerStyle();
} // namespace ui_core
