#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <functional>

// Fetches the release document off the message thread and hands the reply
// (empty on any failure) to the message thread. It keeps only its own
// copies, so a reply after the requester has gone is simply dropped there.
class UpdateCheckThread : public juce::Thread
{
public:
    using Deliver = std::function<void (const juce::String& reply, const juce::String& currentVersion)>;

    // `deliver` runs on the message thread and must check that its target
    // still exists.
    UpdateCheckThread (juce::String requestUrl, juce::String currentVersion, Deliver deliver);
    ~UpdateCheckThread() override;

    void run() override;

    // Asks the thread to stop and aborts a request under way, from any thread,
    // so a blocked connection does not keep the thread alive.
    void cancelRequest();

    // How many exist: none may outlive the editor that started them.
    static int getNumInstances() noexcept { return instances.load(); }

private:
    juce::String fetch();

    juce::String requestUrl; // text: copying a juce::URL copies an empty block, which is undefined
    juce::String currentVersion;
    Deliver deliver;
    juce::CriticalSection streamLock;
    juce::WebInputStream* activeStream = nullptr; // guarded by streamLock
    static inline std::atomic<int> instances { 0 };
};
