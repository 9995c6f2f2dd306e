#include "DisplayCheck.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
    bool hasAScreen()
    {
        return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr;
    }
}

#if JUCE_LINUX || JUCE_BSD

// X11: the display is the one DISPLAY names. Left unset, the framework would
// try ":0.0", putting the window on whatever desktop runs there, which is
// not the session this was started from; X programs refuse instead.
std::string DisplayCheck::problem()
{
    const auto name = juce::SystemStats::getEnvironmentVariable ("DISPLAY", {});

    if (name.isEmpty())
        return "cannot open display: DISPLAY is not set (Velthorn needs a graphical session)";

    if (! hasAScreen())
        return "cannot open display \"" + name.toStdString() + "\"";

    return {};
}

#else

// Windows: an interactive session always has its desktop; a service's
// session has no screen at all.
std::string DisplayCheck::problem()
{
    if (! hasAScreen())
        return "cannot open display: this session has no screen";

    return {};
}

#endif
