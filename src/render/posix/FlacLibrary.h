#pragma once

// The libFLAC stream decoder the framework itself reads FLAC with: on Linux,
// the system's libFLAC. (windows/FlacLibrary.h reads the framework's bundled
// copy instead; this folder or that one is on the include path.)

#include <FLAC/stream_decoder.h>
