#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// What the control panel asks of whoever shows it: the standalone app sends a
// moved control straight to its engine, a plugin turns it into host
// automation. The File menu's items belong to the host too, since only the
// app owns an audio device. Message thread only.
class PanelHost
{
public:
    virtual ~PanelHost() = default;

    // The user started moving a knob or clicking a switch; `index` is the
    // engine's parameter index.
    virtual void controlGestureBegan (int index) = 0;

    // A knob's new 0..1 value, or a switch's new state as 1 or 0.
    virtual void controlChanged (int index, float value) = 0;

    // The move that controlGestureBegan announced is over.
    virtual void controlGestureEnded (int index) = 0;

    // Fills the File menu just before it opens.
    virtual void fillFileMenu (juce::PopupMenu& menu) = 0;

    // The item the user picked from the File menu (never 0: a dismissed menu
    // is not reported).
    virtual void fileMenuItemChosen (int itemId) = 0;
};
