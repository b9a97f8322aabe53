#pragma once

#include <juce_core/juce_core.h>

#include <atomic>

namespace test
{
// A one-route HTTP server on 127.0.0.1 for the update check: answers every
// request with the configured body, or hangs, or closes without a reply.
class LocalHttpServer : private juce::Thread
{
public:
    enum class Behaviour
    {
        reply,
        hang,
        closeWithoutReply
    };

    LocalHttpServer();
    ~LocalHttpServer() override;

    // Answers with `body` under the given HTTP status line ("200 OK", "503 Service Unavailable").
    void reply (const juce::String& body, const juce::String& status = "200 OK");
    void setBehaviour (Behaviour);

    juce::String baseUrl() const;
    int requestCount() const noexcept { return requests.load(); }

private:
    void run() override;
    void serve (juce::StreamingSocket& client);

    juce::StreamingSocket listener;
    juce::CriticalSection lock;
    juce::String body, status { "200 OK" };
    std::atomic<Behaviour> behaviour { Behaviour::reply };
    std::atomic<int> requests { 0 };
};
} // namespace test
