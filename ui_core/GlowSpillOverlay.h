#pragma once

#include <functional>

#include "ui_core/PhosphorBlur.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui_core
{
class WaveformVisualizer;

// A sibling over the plot that lets a faint, wide glow of the trace spill past
// the plot panel onto the editor. Quarter resolution, refreshed at most every
// 33 ms, repainting only the bands around the panel. Takes no clicks.
class GlowSpillOverlay : public juce::Component, private juce::ComponentListener
{
public:
    GlowSpillOverlay();
    ~GlowSpillOverlay() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void moved() override;

    void setVisualizer (WaveformVisualizer* newVisualizer);
    void updateBounds();
    void requestSpillRepaint();

    const juce::Image& getSpillImage() const noexcept { return spillImage; }
    int getIssuedRepaints() const noexcept { return issuedRepaints; }

    // The time the repaint throttle reads, in milliseconds (tests step it).
    std::function<double()> millisecondClock = [] { return juce::Time::getMillisecondCounterHiRes(); };
    juce::Rectangle<float> getDestArea() const noexcept { return destArea; }

private:
    void componentMovedOrResized (juce::Component&, bool wasMoved, bool wasResized) override;
    void componentVisibilityChanged (juce::Component&) override;
    void componentBeingDeleted (juce::Component&) override;

    void detach();
    juce::Rectangle<float> holeInOverlay() const;
    void renderSpill (juce::Point<float> offset);

    WaveformVisualizer* visualizer = nullptr;
    juce::Image spillImage;
    juce::Rectangle<float> destArea;
    std::unique_ptr<PhosphorBlur> strategy;
    int blurLevel = 0;
    bool dirty = false;
    bool needsRender = true;
    double lastRepaintMs = 0.0;
    double repaintIntervalMs = 33.0;
    int issuedRepaints = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GlowSpillOverlay)
};
} // namespace ui_core
