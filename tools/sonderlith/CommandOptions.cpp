#include "tools/sonderlith/CommandOptions.h"

#include <cmath>

juce::File fileArgument (const std::string& path)
{
    const auto text = juce::String::fromUTF8 (path.c_str());
    return juce::File::isAbsolutePath (text) ? juce::File (text) : juce::File::getCurrentWorkingDirectory().getChildFile (text);
}

CLI::Validator numberIn (double minimum, double maximum)
{
    const auto range = juce::String (minimum) + " to " + juce::String (maximum);
    return CLI::Validator (
        [minimum, maximum, range] (std::string& text) -> std::string
        {
            double value = 0.0;
            if (CLI::detail::lexical_cast (text, value) && std::isfinite (value) && value >= minimum && value <= maximum)
                return {};
            return ("expects a number from " + range + ", not '" + juce::String::fromUTF8 (text.c_str()) + "'").toStdString();
        },
        ("NUMBER in " + range).toStdString());
}

CLI::Validator wholeIn (int minimum, int maximum)
{
    const auto range = juce::String (minimum) + " to " + juce::String (maximum);
    return CLI::Validator (
        [minimum, maximum, range] (std::string& text) -> std::string
        {
            double value = 0.0;
            if (CLI::detail::lexical_cast (text, value) && value == std::floor (value) && value >= minimum && value <= maximum)
                return {};
            return ("expects a whole number from " + range + ", not '" + juce::String::fromUTF8 (text.c_str()) + "'").toStdString();
        },
        ("WHOLE NUMBER in " + range).toStdString());
}

CLI::Validator oneOf (const std::vector<std::string>& names)
{
    return CLI::IsMember (names, CLI::ignore_case);
}

CLI::Option* once (CLI::Option* option)
{
    return option->multi_option_policy (CLI::MultiOptionPolicy::Throw);
}

void addPictureOptions (CLI::App& command, PictureOptions& picture)
{
    once (command.add_option_function<std::string> (
              "--size",
              [&picture] (const std::string& text)
              {
                  const auto size = juce::String (text);
                  const auto width = size.upToFirstOccurrenceOf ("x", false, false), height = size.fromFirstOccurrenceOf ("x", false, false);
                  const auto w = width.getIntValue(), h = height.getIntValue();
                  if (width.isEmpty() || height.isEmpty() || ! width.containsOnly ("0123456789") || ! height.containsOnly ("0123456789") || w < 320
                      || h < 240 || w > 8000 || h > 8000)
                      throw CLI::ValidationError ("--size", "expects WIDTHxHEIGHT in pixels, 320x240 to 8000x8000, not '" + text + "'");
                  picture.width = w;
                  picture.height = h;
              },
              "the picture's size in pixels (default 1600x1000)"))
        ->type_name ("WxH");
    once (command.add_option_function<std::string> (
              "--theme", [&picture] (const std::string& name) { picture.light = name == "light"; },
              "dark (the plug-in's) or light (prints well)"))
        ->transform (oneOf ({ "dark", "light" }))
        ->type_name ("THEME");
}

juce::String checkOutputs (const std::vector<OutputFile>& outputs, std::vector<juce::File> taken)
{
    for (const auto& output : outputs)
    {
        if (output.file == juce::File())
            continue;
        if (! output.file.hasFileExtension (output.extension))
            return juce::String (output.option) + " writes a " + output.extension + " file, not '" + output.file.getFileName() + "'";
        for (const auto& other : taken)
            if (other != juce::File() && other == output.file)
                return juce::String (output.option) + " would overwrite " + output.file.getFullPathName() + ", which is already an input or another output";
        taken.push_back (output.file);
    }
    return {};
}
