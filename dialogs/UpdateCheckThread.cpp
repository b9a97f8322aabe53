#include "dialogs/UpdateCheckThread.h"

UpdateCheckThread::UpdateCheckThread (juce::String url, juce::String version, Deliver deliverReply)
    : juce::Thread ("UpdateCheck"), requestUrl (std::move (url)), currentVersion (std::move (version)), deliver (std::move (deliverReply))
{
    ++instances;
}

UpdateCheckThread::~UpdateCheckThread()
{
    cancelRequest();
    stopThread (-1);
    --instances;
}

void UpdateCheckThread::cancelRequest()
{
    signalThreadShouldExit();
    const juce::ScopedLock lock (streamLock);
    if (activeStream != nullptr)
        activeStream->cancel();
}

juce::String UpdateCheckThread::fetch()
{
    juce::WebInputStream stream (juce::URL (requestUrl), false);
    stream.withConnectionTimeout (10000);
    {
        const juce::ScopedLock lock (streamLock);
        if (threadShouldExit())
            return {};
        activeStream = &stream;
    }
    juce::String reply;
    // A server error's page is no release document: it reads as no reply.
    if (stream.connect (nullptr) && ! threadShouldExit())
    {
        const auto status = stream.getStatusCode();
        if (status >= 200 && status < 300)
            reply = stream.readEntireStreamAsString();
    }
    const juce::ScopedLock lock (streamLock);
    activeStream = nullptr;
    return reply;
}

void UpdateCheckThread::run()
{
    const auto reply = fetch();
    if (threadShouldExit())
        return;
    juce::MessageManager::callAsync ([deliverReply = deliver, reply, version = currentVersion] { deliverReply (reply, version); });
}
