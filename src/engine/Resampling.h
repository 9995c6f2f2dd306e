#pragma once

// The filters that take the oversampled chain up to its rate and back down.
enum class Resampling
{
    // The framework's polyphase IIR half-bands: 4 to 6 device samples late,
    // which a live player does not notice, but the delay is that only at low
    // frequencies; towards the top of the band it grows by up to about a
    // sample and a half. For the app and the plugins.
    lowLatency,

    // The framework's linear-phase FIR equiripple half-bands: some 50 to 65
    // device samples late, the same at every frequency, and made a whole
    // number of device samples, so the delay can be taken out exactly. For
    // the renderer, where latency costs nothing.
    linearPhase
};
