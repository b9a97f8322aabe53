#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace ui_core
{
// Knows whether a menu its owner showed is still open, so the owner can close
// it before the look-and-feel the menu draws with is destroyed (the toolkit
// only notices a vanished target on a later timer tick). Closing goes through
// the toolkit's own call, as its ComboBox does. Message thread only.
class OpenMenuTracker
{
public:
    ~OpenMenuTracker() { dismiss(); }

    // Shows `menu` and reports the result to `onResult` once it closes.
    void show (juce::PopupMenu menu, const juce::PopupMenu::Options& options, std::function<void (int)> onResult);

    bool isOpen() const noexcept { return *open; }
    void dismiss();

private:
    std::shared_ptr<bool> open = std::make_shared<bool> (false);
};
} // namespace ui_core
