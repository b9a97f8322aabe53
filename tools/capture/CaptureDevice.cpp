#include "tools/capture/CaptureDevice.h"

#include "tools/capture/JackCaptureDevice.h"
#include "tools/capture/JuceCaptureDevice.h"

namespace
{
// What a user could pick instead, when the device asked for is not there.
juce::String typesFound()
{
    juce::StringArray found;
    for (auto& t : juceDeviceTypes())
    {
        t->scanForDevices();
        const auto devices = duplexDeviceNames (*t).size();
        found.add (t->getTypeName().toLowerCase() + " (" + juce::String (devices) + " device" + (devices == 1 ? "" : "s") + ")");
    }
    return found.joinIntoString (", ");
}
} // namespace

std::unique_ptr<CaptureDevice> openCaptureDevice (const CaptureSettings& settings, juce::String& error)
{
    auto device = settings.type.equalsIgnoreCase ("jack") ? openJackCaptureDevice (settings, error) : openJuceCaptureDevice (settings, error);
    if (device == nullptr && (error.startsWith ("No ") || error.startsWith ("JACK is not")))
        error << "; device types here: jack, " << typesFound() << " (sonderlith capture --list shows them)";
    return device;
}

juce::String listCaptureDevices (const juce::String& jackServer)
{
    return "jack\n" + listJackPorts (jackServer) + listJuceDevices();
}
