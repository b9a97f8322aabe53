#include "editor/EditorIcons.h"

#include "SonderlithIcons.h"

namespace
{
juce::String embeddedFile (const char* originalName)
{
    for (int i = 0; i < SonderlithIcons::namedResourceListSize; ++i)
    {
        const auto* resource = SonderlithIcons::namedResourceList[i];
        if (juce::String (SonderlithIcons::getNamedResourceOriginalFilename (resource)) == originalName)
        {
            int size = 0;
            const auto* data = SonderlithIcons::getNamedResource (resource, size);
            return juce::String::fromUTF8 (data, size);
        }
    }
    jassertfalse; // a file the build did not embed
    return {};
}
} // namespace

juce::String playIconSvg() { return embeddedFile ("play.svg"); }
juce::String pauseIconSvg() { return embeddedFile ("pause.svg"); }
juce::String saveIconSvg() { return embeddedFile ("save.svg"); }

std::array<juce::String, 6> logoLayerSvgs()
{
    std::array<juce::String, 6> layers;
    for (size_t i = 0; i < layers.size(); ++i)
        layers[i] = embeddedFile (("logo-" + juce::String ((int) i) + ".svg").toRawUTF8());
    return layers;
}
