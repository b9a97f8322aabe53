#include "tools/sonderlith/Subcommands.h"

#include "dsp/Stimulus.h"
#include "tools/sonderlith/StimulusFile.h"

namespace
{
struct StimulusRequest
{
    std::string file, bits = "24";
    double rate = 48000.0, seconds = 30.0;
};

int run (const StimulusRequest& r, CommandStreams& s)
{
    const auto file = fileArgument (r.file);
    if (! file.hasFileExtension (".wav"))
        throw UsageError { "stimulus writes a .wav file, not '" + file.getFileName() + "'" };
    const auto floatingPoint = r.bits == "32f";
    if (const auto written = writeStimulusFile (file, r.rate, r.seconds, floatingPoint); ! written)
    {
        s.err << "Cannot write " << file.getFullPathName() << ": " << written.getErrorMessage() << "\n";
        return exitCodes::failure;
    }
    const auto layout = stimulusLayout (r.seconds);
    s.out << "wrote " << file.getFullPathName() << " (" << juce::String (layout.seconds, 1) << " s at " << juce::String (r.rate, 0) << " Hz, "
          << (floatingPoint ? "32-bit float" : "24-bit") << ")\n";
    for (const auto& segment : layout.segments)
        s.out << "  " << juce::String (segment.start, 2).paddedLeft (' ', 7) << " s  " << segment.name << "\n";
    return exitCodes::ok;
}
} // namespace

CommandRun addStimulusCommand (CLI::App& app)
{
    auto* c = app.add_subcommand ("stimulus", "Write the test signal for re-amping hardware");
    auto request = std::make_shared<StimulusRequest>();
    c->add_option ("file", request->file, "the WAV file to write")->required()->type_name ("OUT.wav");
    once (c->add_option ("--rate", request->rate, "sample rate, Hz (default 48000)"))->check (numberIn (8000.0, 384000.0))->type_name ("R");
    once (c->add_option ("--seconds", request->seconds, "length (default 30)"))->check (numberIn (stimulusMinimumSeconds, 600.0))->type_name ("S");
    once (c->add_option ("--bits", request->bits, "24 (default) or 32f, 32-bit float"))->transform (oneOf ({ "24", "32f" }));
    c->footer ("A chirp marking its start, full-scale sines at 100 Hz, 1 kHz and 5 kHz, a 1 kHz ramp from -40 dBFS to full scale,\n"
               "and a pink noise burst. Play it through the device, record what went in (X) and what came out (Y), and measure\n"
               "with --auto-latency: the parts are recognised and their curves compared.\n");
    return [request] (CommandStreams& s) { return run (*request, s); };
}
