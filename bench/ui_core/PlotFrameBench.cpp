#include "bench/support/MemoryTracking.h"
#include "ui_core/GlowSpillOverlay.h"
#include "ui_core/PhosphorBlur.h"
#include "ui_core/ThemeColours.h"
#include "ui_core/WaveformVisualizer.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace
{
std::vector<std::pair<double, double>> tanhPoints (int n, double cycles)
{
    std::vector<std::pair<double, double>> p;
    for (int i = 0; i < n; ++i)
    {
        const auto x = std::sin (2.0 * M_PI * cycles * i / n);
        p.emplace_back (x, std::tanh (3.0 * x) / std::tanh (3.0));
    }
    return p;
}

// The editor's plot region: the visualizer fills the editor above the 68 px
// bar, the spill overlay sits over it.
struct Scene
{
    Scene (int width, int height)
    {
        ui_core::setTheme (0.011f, 0.086f, 1.0f, 1.0f, true, 0.716f);
        editor.setSize (width, height);
        visualizer.setStyle (ui_core::defaultVisualizerStyle());
        editor.addAndMakeVisible (visualizer);
        visualizer.setBounds (0, 0, width, height - 68);
        editor.addAndMakeVisible (spill);
        spill.setVisualizer (&visualizer);
        image = juce::Image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
        context = std::make_unique<juce::Graphics> (image);
    }

    // The window's drawing context outlives a frame, as a host's does.
    void frame() { editor.paintEntireComponent (*context, false); }

    juce::Component editor;
    ui_core::WaveformVisualizer visualizer;
    ui_core::GlowSpillOverlay spill;
    juce::Image image;
    std::unique_ptr<juce::Graphics> context;
};

void plotFrame (benchmark::State& state)
{
    Scene scene ((int) state.range (0), (int) state.range (1));
    const auto points = tanhPoints ((int) state.range (2), state.range (2) == 2048 ? 4.0 : 1.0);
    scene.visualizer.setPoints (points);
    scene.frame(); // caches and images exist from here on

    std::int64_t allocations = 0;
    for (auto _ : state)
    {
        scene.visualizer.setPoints (points); // fresh data and glow frames, as every timer tick
        const auto before = bench::allocationCount();
        scene.frame();
        allocations += bench::allocationCount() - before;
    }
    state.counters["allocs/frame"] = (double) allocations / (double) state.iterations();
}

void stackBlur344x194 (benchmark::State& state)
{
    juce::Image image (juce::Image::ARGB, 344, 194, true, juce::SoftwareImageType());
    {
        juce::Graphics g (image);
        g.setColour (juce::Colours::red);
        g.drawLine (0, 0, 344, 194, 3.0f);
    }
    auto blur = ui_core::makeStackBlur (2);
    blur->apply (image);
    for (auto _ : state)
        blur->apply (image);
}

void spillRender (benchmark::State& state)
{
    Scene scene (700, 550);
    scene.visualizer.setPoints (tanhPoints (2048, 4.0));
    scene.frame();
    juce::Image target (juce::Image::ARGB, scene.spill.getWidth(), scene.spill.getHeight(), true, juce::SoftwareImageType());
    for (auto _ : state)
    {
        state.PauseTiming();
        juce::Thread::sleep (34); // the spill re-renders at most every 33 ms
        scene.spill.requestSpillRepaint();
        state.ResumeTiming();
        juce::Graphics g (target);
        scene.spill.paintEntireComponent (g, false);
    }
}
} // namespace

BENCHMARK (plotFrame)->Args ({ 700, 550, 2048 })->Args ({ 1600, 2000, 2048 })->Args ({ 700, 550, 16384 })
    ->ArgNames ({ "w", "h", "points" })->Unit (benchmark::kMillisecond);
BENCHMARK (stackBlur344x194)->Unit (benchmark::kMicrosecond);
BENCHMARK (spillRender)->Unit (benchmark::kMicrosecond)->Iterations (30);
