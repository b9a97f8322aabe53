#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace test
{
// Mouse gestures as the toolkit delivers them: events from the desktop's main
// mouse source, with the press position and time carried through the drag.
class Pointer
{
public:
    explicit Pointer (juce::Component& target) : component (target) {}

    void enter (juce::Point<float> at = {});
    void exit (juce::Point<float> at = {});
    void press (juce::Point<float> at, juce::ModifierKeys mods = {}, int clicks = 1);
    void drag (juce::Point<float> to, juce::ModifierKeys mods = {});
    void release (juce::Point<float> at, juce::ModifierKeys mods = {});
    void click (juce::Point<float> at, juce::ModifierKeys mods = {});
    void doubleClick (juce::Point<float> at);

    // An event from this component, for handing to a mouse listener.
    juce::MouseEvent event (juce::Point<float> at, juce::ModifierKeys mods = {}, int clicks = 1, bool dragged = false) const;

private:

    juce::Component& component;
    juce::Point<float> downAt;
    juce::Time downTime;
    bool moved = false;
};

// Types each character as its own key press into the component.
void typeText (juce::Component& target, const juce::String& text);
bool pressKey (juce::Component& target, int keyCode, juce::ModifierKeys mods = {});

// Puts a component in a window of its own for the test's duration, so it can
// take keyboard focus; the window is removed again on destruction.
class OnScreen
{
public:
    explicit OnScreen (juce::Component& component, juce::Point<int> at = { 40, 40 });
    ~OnScreen();

private:
    juce::Component& component;
};

// Moves the real pointer (the tests that do run one at a time).
void movePointerTo (juce::Point<int> screenPosition);
} // namespace test
