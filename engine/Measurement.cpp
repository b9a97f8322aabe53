#include "engine/Measurement.h"

#include "dsp/CaptureAlignment.h"
#include "dsp/HarmonicAnalysis.h"
#include "dsp/PairPeaks.h"
#include "dsp/RecordingEstimator.h"
#include "dsp/TransferFunctionEstimator.h"
#include "engine/AlignedPairs.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr size_t minimumPairs = 1024;
// The plug-in's estimators need the pairs whole, with several copies of them
// while they work (about 90 bytes a pair): this keeps them within 160 MB.
constexpr juce::int64 largestPairsInMemory = 1 << 20;

struct Window
{
    juce::int64 start = 0, end = 0;
};

std::unique_ptr<CaptureSource> openCapture (const MeasureOptions& o, juce::String& error, juce::StringArray& notices)
{
    if (o.demo)
    {
        auto settings = *o.demo;
        if (o.length)
            settings.pairs = std::max (settings.pairs, *o.length + 4096);
        auto capture = playDemoDevice (settings);
        if (capture.x.empty())
        {
            error = "Unknown demo device: " + juce::String (settings.device);
            return {};
        }
        return CaptureSource::fromMemory (std::move (capture.x), std::move (capture.y), settings.sampleRate,
                                          "built-in device \"" + juce::String (settings.device) + "\"");
    }
    if (const auto& r = o.rendered)
    {
        auto source = CaptureSource::fromMemory (r->x, r->y, r->sampleRate, r->capture ? "capture: " + r->capture->route : r->format + " plug-in \"" + r->name + "\"");
        if (source->length() == 0)
            error = "The device returned no samples";
        return source->length() == 0 ? nullptr : std::move (source);
    }
    if (o.xyFile != juce::File())
        return CaptureSource::openStereo (o.xyFile, error, notices);
    return CaptureSource::openFiles (o.xFile, o.yFile, o.channel, error, notices);
}

juce::String seconds (double s) { return juce::String (s, 3) + " s"; }

bool chooseWindow (const MeasureOptions& o, const CaptureSource& source, Window& w, juce::String& error, juce::StringArray& notices)
{
    const auto rate = source.sampleRate();
    w.start = (juce::int64) std::llround (o.start * rate);
    if (w.start >= source.length())
    {
        error = "--start " + seconds (o.start) + " is past the end of the recording (" + seconds ((double) source.length() / rate) + ")";
        return false;
    }
    w.end = source.length();
    if (o.duration)
    {
        const auto wanted = w.start + (juce::int64) std::llround (*o.duration * rate);
        if (wanted > w.end)
            notices.add ("the window asked for (" + seconds (o.start) + " for " + seconds (*o.duration) + ") ends after the recording; measured "
                         + seconds ((double) w.start / rate) + " to its end at " + seconds ((double) w.end / rate));
        w.end = std::min (w.end, wanted);
    }
    return true;
}

// The loudest of a few stretches of X (a recording may open with silence),
// long enough for every lag up to a second to keep most of its overlap; for
// the command's stimulus, its noise burst, which no period makes ambiguous.
DelayEstimate estimateCaptureDelay (const CaptureSource& source, Window w, const std::optional<StimulusPlacement>& stimulus)
{
    const auto maximumLag = (int) std::ceil (source.sampleRate());
    if (stimulus)
        if (const auto* noise = stimulus->layout.find ("pink noise"))
        {
            auto range = stimulus->samples (*noise, source.sampleRate());
            // An excerpt of it, however long the stimulus: the middle, clear of its fades.
            const auto excerpt = std::min<juce::int64> (range.getLength(), std::max<juce::int64> (1 << 18, 4 * (juce::int64) maximumLag));
            range = juce::Range<juce::int64>::withStartAndLength (range.getStart() + (range.getLength() - excerpt) / 2, excerpt);
            std::vector<double> x ((size_t) range.getLength()), y ((size_t) range.getLength());
            source.readX (range.getStart(), (int) range.getLength(), x.data());
            source.readY (range.getStart(), (int) range.getLength(), y.data());
            return estimateDelay (x, y, maximumLag);
        }
    const auto span = w.end - w.start;
    const auto excerpt = std::min<juce::int64> (span, std::max<juce::int64> (1 << 18, 4 * (juce::int64) maximumLag));
    const auto candidates = span > excerpt ? 8 : 1;
    std::vector<double> x ((size_t) excerpt), y ((size_t) excerpt);
    auto best = w.start;
    double loudest = -1.0;
    for (int c = 0; c < candidates; ++c)
    {
        const auto at = w.start + (candidates > 1 ? (span - excerpt) * c / (candidates - 1) : 0);
        source.readX (at, (int) excerpt, x.data());
        double energy = 0.0;
        for (const auto v : x)
            energy += std::isfinite (v) ? v * v : 0.0;
        if (energy > loudest)
        {
            loudest = energy;
            best = at;
        }
    }
    source.readX (best, (int) excerpt, x.data());
    source.readY (best, (int) excerpt, y.data());
    return estimateDelay (x, y, maximumLag);
}


// The pairs to fit: the newest `length` of the window aligned as a freeze
// aligns them, or every pair of the window, streamed (and gathered into
// memory only for the plug-in's estimators, which need them whole).
struct Pairs
{
    std::vector<double> x, y;
    std::optional<juce::int64> firstXSample; // known for every pair of a window, not for a freeze's
    std::unique_ptr<AlignedPairs> streamed;
    PairStream stream;
};

bool preparePairs (const MeasureOptions& o, const CaptureSource& source, Window w, double delay, Pairs& pairs, juce::String& error)
{
    if (o.length)
    {
        const auto length = *o.length;
        if (w.end - w.start < length)
        {
            error = "Too few pairs: " + juce::String (w.end - w.start) + " recorded, " + juce::String (length) + " needed for this length";
            return false;
        }
        std::vector<double> x ((size_t) length), y ((size_t) length);
        source.readX (w.end - length, length, x.data());
        source.readY (w.end - length, length, y.data());
        auto aligned = alignCapture (x, y, length, std::max (0.0, delay), std::max (0.0, -delay));
        pairs.x = std::move (aligned.x);
        pairs.y = std::move (aligned.y);
    }
    else
    {
        pairs.streamed = std::make_unique<AlignedPairs> (source, w.start, w.end, delay);
        pairs.firstXSample = pairs.streamed->firstXSample();
        if (o.algorithm != MeasureAlgorithm::automatic && pairs.streamed->size() > largestPairsInMemory)
        {
            error = "--algorithm " + algorithmName (o.algorithm) + " holds every pair in memory: this window has " + juce::String (pairs.streamed->size())
                    + " pairs, at most " + juce::String (largestPairsInMemory) + " (" + seconds ((double) largestPairsInMemory / source.sampleRate())
                    + ") are taken; use --algorithm auto (any length), a freeze's --length, or a shorter --duration";
            return false;
        }
        if (o.algorithm != MeasureAlgorithm::automatic)
        {
            pairs.x.reserve ((size_t) pairs.streamed->size());
            pairs.y.reserve ((size_t) pairs.streamed->size());
            pairs.streamed->forEachBlock ([&pairs] (const double* x, const double* y, size_t n)
            {
                pairs.x.insert (pairs.x.end(), x, x + n);
                pairs.y.insert (pairs.y.end(), y, y + n);
            });
            pairs.streamed.reset();
        }
    }
    if (pairs.streamed != nullptr)
    {
        const auto* streamed = pairs.streamed.get();
        pairs.stream = [streamed] (const PairVisitor& visit) { streamed->forEachBlock (visit); };
    }
    else
    {
        pairs.stream = memoryStream (pairs.x, pairs.y);
    }
    return true;
}

struct Peaks : PairPeaks
{
    size_t pairs = 0;
};

Peaks findPeaks (const PairStream& stream)
{
    Peaks p;
    stream ([&p] (const double* x, const double* y, size_t n)
    {
        p.pairs += n;
        p.add (x, y, n);
    });
    return p;
}

CaptureAlgorithm pluginAlgorithm (MeasureAlgorithm a) { return a == MeasureAlgorithm::mean ? CaptureAlgorithm::Mean : CaptureAlgorithm::ODR; }

// The recording estimator, fed a block at a time.
FitResult fitStreamed (const MeasureOptions& o, const PairStream& stream, const Peaks& peaks)
{
    RecordingStatistics statistics;
    const auto xScale = 1.0 / peaks.x, yScale = 1.0 / peaks.y;
    stream ([&] (const double* x, const double* y, size_t n) { statistics.add (x, y, n, xScale, yScale); });
    return fitRecording (statistics, o.smoothing);
}

// The model check for sine material: Y's harmonics beside those of X played
// through the fitted curve at the measured levels.
std::optional<HarmonicFigures> harmonicFigures (const PairSamples& samples, const TableScales& scales, const FitResult& fit, double rate)
{
    const auto f0 = steadyToneFrequency (samples.excerptX, rate);
    if (! f0)
        return std::nullopt;
    std::vector<double> predicted (samples.excerptX.size());
    for (size_t i = 0; i < predicted.size(); ++i)
        predicted[i] = curveValueAt (fit.smoothedBins, samples.excerptX[i] / scales.xPeak) * scales.outputScale();
    constexpr int harmonics = 9;
    return HarmonicFigures { *f0, relativeToFundamentalDb (harmonicAmplitudes (samples.excerptY, *f0, rate, harmonics)),
                             relativeToFundamentalDb (harmonicAmplitudes (predicted, *f0, rate, harmonics)) };
}

MeasuredLevels measureLevels (const FitResult& fit, const TableScales& scales, const MeasurementReport& report)
{
    MeasuredLevels l;
    l.xPeak = scales.xPeak;
    l.yPeak = scales.yPeak;
    l.outputScale = scales.outputScale();
    const auto& table = fit.smoothedBins;
    auto yAt = [&] (double xn) { return curveValueAt (table, xn) * l.outputScale; };
    // The slope of a line through the curve within 2 % of full scale of X = 0
    // (a few hundred grid points, so noise in single points averages out);
    // only where the capture reached both sides, else it would be extrapolation.
    constexpr double reach = 0.02;
    if (report.xMinimum <= -reach && report.xMaximum >= reach)
    {
        double sx = 0.0, sy = 0.0, sxx = 0.0, sxy = 0.0, n = 0.0;
        for (int c = 0; c < grid::size; ++c)
            if (const auto x = grid::xAt (c); std::abs (x) <= reach)
            {
                const auto y = yAt (x);
                sx += x;
                sy += y;
                sxx += x * x;
                sxy += x * y;
                n += 1.0;
            }
        const auto slope = (sxy - sx * sy / n) / (sxx - sx * sx / n);
        l.smallSignalGain = slope / scales.xPeak;
        l.dcOffset = (sy - slope * sx) / n;
    }
    l.yAtXPeak = yAt (1.0);
    if (scales.xPeak >= std::pow (10.0, -0.1 / 20.0))
        l.yAtFullScale = yAt (std::min (1.0, 1.0 / scales.xPeak));
    return l;
}
} // namespace

juce::String algorithmName (MeasureAlgorithm a)
{
    switch (a)
    {
        case MeasureAlgorithm::automatic: return "auto";
        case MeasureAlgorithm::mean: return "mean";
        case MeasureAlgorithm::odr: return "odr";
    }
    return {};
}

DelayEstimate estimateDelayBetween (std::vector<double> x, std::vector<double> y, double sampleRate)
{
    const auto source = CaptureSource::fromMemory (std::move (x), std::move (y), sampleRate, {});
    const Window whole { 0, source->length() };
    return estimateCaptureDelay (*source, whole, locateStimulus (*source, whole.start, whole.end));
}

MeasureOutcome measure (const MeasureOptions& o, const MeasureProgress& progress)
{
    auto stage = [&progress] (const char* name)
    {
        if (progress)
            progress (name);
    };
    MeasureOutcome outcome;
    outcome.date = juce::Time::getCurrentTime();
    stage ("reading the capture");
    const auto source = openCapture (o, outcome.error, outcome.notices);
    if (source == nullptr)
        return outcome;
    outcome.sampleRate = source->sampleRate();
    outcome.sources = source->sources();
    Window window;
    if (! chooseWindow (o, *source, window, outcome.error, outcome.notices))
        return outcome;
    // A freeze's length takes the newest pairs of the window: that is what is measured.
    const auto used = o.length ? std::min<juce::int64> (*o.length, window.end - window.start) : window.end - window.start;
    outcome.windowStart = (double) (window.end - used) / outcome.sampleRate;
    outcome.windowDuration = (double) used / outcome.sampleRate;

    // The command's own stimulus is analysed part by part when every pair is used.
    const auto stimulus = o.length ? std::nullopt : locateStimulus (*source, window.start, window.end);
    auto delay = o.delay.value_or (0.0) + o.latencyX - o.latencyY;
    if (o.autoLatency)
    {
        stage ("estimating the latency");
        outcome.estimatedDelay = estimateCaptureDelay (*source, window, stimulus);
        if (! outcome.estimatedDelay->found)
        {
            const auto searched = outcome.estimatedDelay->maximumLag;
            outcome.error = "Could not estimate the latency: no clear correlation between X and Y within " + juce::String (searched)
                            + " samples either way (" + juce::String ((double) searched / outcome.sampleRate, 3)
                            + " s); if Y lags further, give the delay with --delay";
            return outcome;
        }
        delay = outcome.estimatedDelay->samples;
    }
    outcome.delayTakenOut = delay;

    Pairs pairs;
    if (! preparePairs (o, *source, window, delay, pairs, outcome.error))
        return outcome;
    stage ("finding the levels");
    const auto peaks = findPeaks (pairs.stream);
    if (peaks.pairs == 0)
    {
        outcome.error = "No pairs: with Y " + juce::String (delay, 3) + " samples behind X (" + seconds (delay / outcome.sampleRate)
                        + "), X and Y do not overlap in the window of " + seconds (outcome.windowDuration);
        return outcome;
    }
    if (peaks.finitePairs == 0)
    {
        outcome.error = "No usable pairs: every pair holds a sample that is not a number (NaN or infinite)";
        return outcome;
    }
    if (peaks.finitePairs < minimumPairs)
    {
        outcome.error = "Too few pairs: " + juce::String ((juce::int64) peaks.finitePairs) + " after alignment, at least "
                        + juce::String ((juce::int64) minimumPairs) + " needed";
        return outcome;
    }
    if (const auto dropped = peaks.pairs - peaks.finitePairs; dropped > 0)
        outcome.notices.add (juce::String ((juce::int64) dropped) + " of " + juce::String ((juce::int64) peaks.pairs)
                             + " pairs hold a sample that is not a number (NaN or infinite) and were left out");
    for (const auto& [name, peak] : { std::pair { "X", peaks.x }, std::pair { "Y", peaks.y } })
        if (peak > 1.0)
            outcome.notices.add (juce::String (name) + " peaks at +" + juce::String (20.0 * std::log10 (peak), 1)
                                 + " dBFS, beyond full scale: check the levels; the figures are in these units");
    // A peak so small its reciprocal overflows is silence in any recording.
    if (! std::isfinite (1.0 / peaks.x))
    {
        outcome.error = "No signal at the device input (X is silent)";
        return outcome;
    }
    if (! std::isfinite (1.0 / peaks.y))
    {
        outcome.error = "No signal at the device output (Y is silent)";
        return outcome;
    }

    stage ("fitting the curve");
    outcome.fit = o.algorithm == MeasureAlgorithm::automatic ? fitStreamed (o, pairs.stream, peaks)
                                                            : estimateTransferFunction (pairs.x, pairs.y, o.smoothing, pluginAlgorithm (o.algorithm));
    if (! outcome.fit.valid)
    {
        outcome.error = "The capture could not be fitted (too few usable pairs)";
        return outcome;
    }
    stage ("checking the fit");
    const TableScales scales { peaks.x, peaks.y, tableFactorOf (outcome.fit) };
    PairSamples samples;
    outcome.report = describePairs (pairs.stream, peaks.finitePairs, scales, outcome.fit, samples);
    outcome.density = std::move (samples.density);
    outcome.residuals = std::move (samples.residuals);
    outcome.harmonics = harmonicFigures (samples, scales, outcome.fit, outcome.sampleRate);
    outcome.report.latencyX = std::max (0.0, delay);
    outcome.report.latencyY = std::max (0.0, -delay);
    outcome.levels = measureLevels (outcome.fit, scales, outcome.report);
    if (stimulus && pairs.firstXSample)
    {
        stage ("comparing the stimulus's parts");
        outcome.stimulus = stimulusSpread (*stimulus, pairs.stream, *pairs.firstXSample, outcome.sampleRate, peaks.x, peaks.y, outcome.fit);
    }
    VerdictContext context;
    context.estimatedDelay = outcome.estimatedDelay;
    context.stimulusSpread = outcome.stimulus ? std::optional<double> (outcome.stimulus->spread) : std::nullopt;
    context.pluginEstimator = o.algorithm != MeasureAlgorithm::automatic;
    if (o.rendered && ! o.rendered->capture)
        context.reportedLatency = o.rendered->reportedLatency;
    if (o.rendered)
        context.capture = o.rendered->capture;
    if (! o.autoLatency && outcome.report.normalisedResidual > verdictLimits::doubtfulResidual)
    {
        stage ("looking for a misalignment");
        context.misalignmentProbe = estimateCaptureDelay (*source, window, stimulus);
    }
    outcome.judgement = judgeMeasurement (outcome.report, context);
    outcome.ok = true;
    return outcome;
}
