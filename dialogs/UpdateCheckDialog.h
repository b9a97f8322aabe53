#pragma once

#include "ui_core/TextButton.h"

#include <functional>

// Shows the outcome of the update check: a title, a message, the changes of
// a newer release as bullets, "Close" and (with an address) "Download".
class UpdateCheckDialog : public juce::Component
{
public:
    UpdateCheckDialog();
    ~UpdateCheckDialog() override;

    void setTitle (const juce::String&);
    void setMessage (const juce::String&);
    void setChanges (const juce::StringArray&);
    void setDownloadUrl (const juce::String&);

    const juce::String& getTitle() const noexcept { return title; }
    const juce::String& getMessage() const noexcept { return message; }
    const juce::StringArray& getChanges() const noexcept { return changes; }
    const juce::String& getDownloadUrl() const noexcept { return downloadUrl; }

    // Width 380; the height follows the content.
    void updateHeight();

    std::function<void()> onClose;
    std::function<void (const juce::String&)> onDownload;

    ui_core::TextButton closeButton { "closeBtn" }, downloadButton { "downloadBtn" };

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    juce::String title { "Update Check" }, message;
    juce::StringArray changes;
    juce::String downloadUrl;
};
