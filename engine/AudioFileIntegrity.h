#pragma once

#include <juce_core/juce_core.h>

// The toolkit's readers fill what a damaged file lacks with silence and say
// nothing; these read the files' own structure to tell.

// A RIFF WAVE header's chunks as far as they go.
struct WavLayout
{
    bool isWav = false;
    bool headerCut = false; // the file ends inside its header, before the data chunk
    int formatTag = 0, bits = 0, blockAlign = 0;
    juce::int64 dataOffset = -1, declaredDataBytes = 0;
};

WavLayout readWavLayout (const juce::File&);

// Why a file that opened as audio is not whole: cut short of what its header
// promises (WAV, AIFF by their chunk sizes; FLAC by whether its last sample
// can be reached; Ogg by whether its last page ends the stream), or its header
// cut. Empty when nothing is missing or the format has no way to tell.
juce::String whyIncomplete (const juce::File&);
