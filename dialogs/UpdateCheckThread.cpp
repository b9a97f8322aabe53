#include "dialogs/UpdateCheckThread.h"

UpdateCheckThread::UpdateCheckThread (juce::String url, juce::String version, Deliver deliverReply)
    : juce::Thread ("UpdateCheck"), requestUrl (std::move (url)), currentVersion (std::move (version)), deliver (std::move (deliverReply))
{
}

UpdateCheckThread::~UpdateCheckThread() { stopThread (-1); }

void UpdateCheckThread::run()
{
    // A bounded connection time: the thread may outlive its editor only
    // briefly (see the editor's destructor).
    juce::String reply;
    const auto options = juce::URL::InputStreamOptions (juce::URL::ParameterHandling::inAddress).withConnectionTimeoutMs (10000);
    if (auto stream = juce::URL (requestUrl).createInputStream (options))
        reply = stream->readEntireStreamAsString();

    if (threadShouldExit())
        return;
    juce::MessageManager::callAsync ([deliverReply = deliver, reply, version = currentVersion] { deliverReply (reply, version); });
}
