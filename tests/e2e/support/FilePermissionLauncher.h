#pragma once

#include <string>
#include <vector>

namespace e2e
{
    // Test thread: a launcher (see VelthornApp) under which a program is held
    // to the file permission bits like any user. Empty when this test runs
    // as an ordinary user, who is held to them anyway. As root it is
    // setpriv taking away the two capabilities that let root read and
    // write past the bits (CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH) from
    // the bounding and inheritable sets, so the program keeps user id 0 -
    // its HOME, the X server and the JACK server stay reachable as before -
    // but a mode-000 file cannot be opened.
    std::vector<std::string> launcherHonouringFilePermissions();
}
