#include "tests/support/UserInput.h"

#include "tests/support/MessageLoop.h"

namespace test
{
juce::MouseEvent Pointer::event (juce::Point<float> at, juce::ModifierKeys mods, int clicks, bool dragged) const
{
    auto source = juce::Desktop::getInstance().getMainMouseSource();
    return juce::MouseEvent (source, at, mods, juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                             juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX, juce::MouseInputSource::defaultTiltY,
                             &component, &component, juce::Time::getCurrentTime(), downAt, downTime, clicks, dragged);
}

void Pointer::enter (juce::Point<float> at) { component.mouseEnter (event (at, {}, 1, false)); }

void Pointer::exit (juce::Point<float> at) { component.mouseExit (event (at, {}, 1, false)); }

void Pointer::press (juce::Point<float> at, juce::ModifierKeys mods, int clicks)
{
    downAt = at;
    downTime = juce::Time::getCurrentTime();
    moved = false;
    component.mouseDown (event (at, mods.withFlags (juce::ModifierKeys::leftButtonModifier), clicks, false));
}

void Pointer::drag (juce::Point<float> to, juce::ModifierKeys mods)
{
    moved = moved || to != downAt;
    component.mouseDrag (event (to, mods.withFlags (juce::ModifierKeys::leftButtonModifier), 1, moved));
}

void Pointer::release (juce::Point<float> at, juce::ModifierKeys mods)
{
    moved = moved || at != downAt;
    component.mouseUp (event (at, mods, 1, moved));
}

void Pointer::click (juce::Point<float> at, juce::ModifierKeys mods)
{
    press (at, mods);
    release (at, mods);
}

void Pointer::doubleClick (juce::Point<float> at)
{
    click (at);
    press (at, {}, 2);
    component.mouseDoubleClick (event (at, juce::ModifierKeys::leftButtonModifier, 2, false));
    release (at);
}

void typeText (juce::Component& target, const juce::String& text)
{
    for (auto c : text)
        target.keyPressed (juce::KeyPress ((int) c, {}, c));
}

bool pressKey (juce::Component& target, int keyCode, juce::ModifierKeys mods) { return target.keyPressed (juce::KeyPress (keyCode, mods, 0)); }

OnScreen::OnScreen (juce::Component& c, juce::Point<int> at) : component (c)
{
    component.setTopLeftPosition (at);
    component.addToDesktop (0);
    component.setVisible (true);
}

OnScreen::~OnScreen()
{
    component.removeFromDesktop();
}

// Returns once the display reports the pointer there, however long the
// server takes.
void movePointerTo (juce::Point<int> screenPosition)
{
    juce::Desktop::setMousePosition (screenPosition);
    runMessageLoopUntil ([screenPosition] { return juce::Desktop::getMousePosition() == screenPosition; });
}
} // namespace test
