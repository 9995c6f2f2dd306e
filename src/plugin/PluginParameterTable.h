#pragma once

#include "AudioMidiHandler.h"
#include "ParameterMapping.h"

#include <array>
#include <atomic>
#include <cstdint>

// The engine's 12 knobs and 5 switches as a host sees them: the identifier
// (the renderer's name for it), the label, the index setParameter takes and
// where the engine keeps the value. The order is the host's parameter order
// and never changes, so saved automation keeps pointing at the same control.
class PluginParameterTable final
{
public:
    enum class Unit
    {
        milliseconds,   // delay time
        percent,        // delay amount: each echo's share of the one before
        hertz,
        decibels,
        plain,          // wah resonance: the filter's damping as stored
        onOff
    };

    struct Entry
    {
        const char* id;
        const char* name;
        int engineIndex;
        Unit unit;
        std::atomic<float> AudioMidiHandler::* knob;        // null for a switch
        std::atomic<int32_t> AudioMidiHandler::* onOff;     // null for a knob
        const LinearMapping* mapping;                       // the chain's dB or Hz mapping, if any

        bool isSwitch() const noexcept { return onOff != nullptr; }
    };

    static constexpr int numParameters = 17;

    // Any thread. Every parameter in host order.
    static const std::array<Entry, numParameters>& entries() noexcept;

    // Any thread. Position in entries() of the parameter with this engine
    // index, or -1 (index 16 and anything outside 0..17).
    static int positionForEngineIndex (int engineIndex) noexcept;

    // Any thread. Position of the parameter called exactly `id`, or -1.
    static int positionForId (const char* id) noexcept;

    // Any thread (the engine's members are atomics). The value the engine
    // holds now, as setParameter would take it: 0..1 for a knob, 0 or 1 for
    // a switch.
    static float readEngine (const AudioMidiHandler& engine, const Entry& entry) noexcept;

    // Position of the master switch, the plugin's bypass.
    static constexpr int masterSwitchPosition = 16;
};
