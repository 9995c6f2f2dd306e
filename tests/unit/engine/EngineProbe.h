#pragma once

#include "AudioMidiHandler.h"
#include "CachedEffectChain.h"

// The tests' look inside an engine: the state and the chain of the run it
// has prepared, null while none is. Nothing but the tests reaches them.
struct EngineProbe
{
    static const EffectState* state (const AudioMidiHandler& engine) noexcept { return engine.effectState.get(); }
    static const CachedEffectChain* chain (const AudioMidiHandler& engine) noexcept { return engine.effectChain.get(); }
};
