#pragma once

#include <string>
#include <variant>
#include <vector>

// A device's input (X) and output (Y) as the demo host loops them into the
// sidechain and the main input.
struct Recording
{
    std::vector<float> x, y;
    double sampleRate = 0.0;
};

// The first channel of each file, or of one stereo file X left and Y right;
// a reason instead when a file cannot be read, the rates differ, a file is
// empty or longer than the host keeps in memory.
std::variant<Recording, std::string> loadRecording (const std::string& xPath, const std::string& yPath);
std::variant<Recording, std::string> loadStereoRecording (const std::string& path);
