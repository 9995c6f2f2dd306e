#pragma once

#include <array>
#include <string>

namespace hosttest
{
    // The plugin's 17 parameters by their IDs (the renderer's --set names),
    // in the order the plugin announces them to hosts.
    inline const std::array<std::string, 17> parameterIds {
        "delTme", "delAm", "delOn", "wahFreq", "wahRes", "wahGain", "wahOn", "distGain", "distFreq",
        "distOn", "ampDrv", "ampLo", "ampMid", "ampHi", "ampOn", "mast", "mastOn"
    };

    // Any thread: whether the parameter is a switch (on at 1, off at 0).
    inline bool isSwitch (const std::string& id)
    {
        return id.size() > 2 && id.compare (id.size() - 2, 2, "On") == 0;
    }
}
