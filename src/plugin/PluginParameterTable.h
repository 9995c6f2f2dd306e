#pragma once

#include "AudioMidiHandler.h"
#include "ControlTable.h"

#include <array>

// The engine's controls as a host sees them: the control table's rows, in
// its order, which is the host's parameter order and never changes, so saved
// automation keeps pointing at the same control.
class PluginParameterTable final
{
public:
    using Unit = velthorn::controls::Unit;
    using Entry = velthorn::controls::Control;

    static constexpr int numParameters = static_cast<int> (velthorn::controls::numControls);

    // Any thread. Every parameter in host order.
    static const std::array<Entry, velthorn::controls::numControls>& entries() noexcept;

    // Any thread. Position in entries() of the parameter with this engine
    // index, or -1 (index 16 and anything outside 0..17).
    static int positionForEngineIndex (int engineIndex) noexcept;

    // Any thread. Position of the parameter called exactly `id`, or -1.
    static int positionForId (const char* id) noexcept;

    // Any thread (the engine's controls are atomics). The value the engine
    // holds now, as setParameter would take it: 0..1 for a knob, 0 or 1 for
    // a switch.
    static float readEngine (const AudioMidiHandler& engine, const Entry& entry) noexcept;

    // Position of the master switch, the plugin's bypass.
    static constexpr int masterSwitchPosition = velthorn::controls::masterSwitchPosition;
};
