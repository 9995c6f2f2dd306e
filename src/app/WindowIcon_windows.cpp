#include "WindowIcon.h"

void WindowIcon::give (juce::Component&)
{
    // The framework's window class takes the icon of the program file (the
    // resource IDI_ICON1), in the sizes the system asks for, so every window
    // has it already; a picture set here would replace those with a scaled
    // copy of one size.
}
