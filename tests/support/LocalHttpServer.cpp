#include "tests/support/LocalHttpServer.h"

namespace test
{
LocalHttpServer::LocalHttpServer() : juce::Thread ("LocalHttpServer")
{
    listener.createListener (0, "127.0.0.1");
    startThread();
}

LocalHttpServer::~LocalHttpServer()
{
    signalThreadShouldExit();
    listener.close();
    stopThread (5000);
}

void LocalHttpServer::reply (const juce::String& text, const juce::String& statusLine)
{
    const juce::ScopedLock held (lock);
    body = text;
    status = statusLine;
    behaviour = Behaviour::reply;
}

void LocalHttpServer::setBehaviour (Behaviour b) { behaviour = b; }

juce::String LocalHttpServer::baseUrl() const { return "http://127.0.0.1:" + juce::String (listener.getBoundPort()); }

void LocalHttpServer::run()
{
    while (! threadShouldExit())
    {
        if (listener.waitUntilReady (true, 50) != 1)
            continue;
        std::unique_ptr<juce::StreamingSocket> client (listener.waitForNextConnection());
        if (client != nullptr)
            serve (*client);
    }
}

void LocalHttpServer::serve (juce::StreamingSocket& client)
{
    juce::String request;
    char buffer[1024];
    while (! request.contains ("\r\n\r\n") && ! threadShouldExit())
    {
        if (client.waitUntilReady (true, 100) != 1)
            continue;
        const auto n = client.read (buffer, (int) sizeof (buffer), false);
        if (n <= 0)
            return;
        request += juce::String::fromUTF8 (buffer, n);
    }
    ++requests;

    switch (behaviour.load())
    {
        case Behaviour::closeWithoutReply:
            return;
        case Behaviour::hang:
            while (! threadShouldExit())
                juce::Thread::sleep (10);
            return;
        case Behaviour::reply:
            break;
    }

    juce::String text, statusLine;
    {
        const juce::ScopedLock held (lock);
        text = body;
        statusLine = status;
    }
    const auto payload = text.toStdString();
    const auto head = "HTTP/1.1 " + statusLine.toStdString() + "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string (payload.size())
                      + "\r\nConnection: close\r\n\r\n";
    client.write (head.data(), (int) head.size());
    client.write (payload.data(), (int) payload.size());
}
} // namespace test
