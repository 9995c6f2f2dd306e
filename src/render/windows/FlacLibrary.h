#pragma once

// The libFLAC stream decoder the framework itself reads FLAC with: on
// Windows, the framework's bundled copy, compiled into juce_audio_formats
// inside the namespace juce::FlacNamespace. Its declarations are read into
// the same namespace here, so these calls link to that copy. (Include this in
// one source file only: the names are made visible unqualified, as the
// system's are in posix/FlacLibrary.h.)

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>

namespace juce::FlacNamespace
{
 // Linked statically, as in the framework's own source.
 #define FLAC__NO_DLL 1
 #include <juce_audio_formats/codecs/flac/stream_decoder.h>
}

using namespace juce::FlacNamespace;
