# The framework's audio path takes two locks on the audio thread in every
# period: the JACK device's callback lock around the call into the device
# manager, and the device manager's callback lock around the call into the
# engine, plus a spin lock in its load measurer. They are almost never
# contended, but a lock on the audio thread can make it wait for whatever
# thread holds it (a device change, a dialog's test tone), and each costs its
# atomic operations every period.
#
# This builds juce_audio_devices from a copy in which both use an
# AudioThreadGate (cmake/juce-patches/AudioThreadGate.h) instead: the audio
# thread never waits; a thread that swaps the device's callback waits for the
# callback in progress to end, and a thread that changes the manager's
# callbacks or test sound keeps the audio thread out (it outputs silence for
# that period) while it does. The manager no longer measures its callback's
# load: nothing in the app reads getCpuUsage(), which now stays 0.

# (The module is copied in VelthornJuce.cmake, with every file of it that is patched.)
file(COPY "${CMAKE_CURRENT_LIST_DIR}/AudioThreadGate.h"
     DESTINATION "${VELTHORN_PATCHED_JUCE_ROOT}/juce_audio_devices/native")

# The JACK device: the callback pointer is atomic; start() swaps it and waits
# for a period in progress with the old one to end.
velthorn_juce_patch_read(juce_audio_devices native/juce_linux_JackAudio.cpp)

velthorn_juce_patch_replace(
"namespace juce
{

static void* juce_libjackHandle = nullptr;"
"#include \"AudioThreadGate.h\"

namespace juce
{

static void* juce_libjackHandle = nullptr;")

velthorn_juce_patch_replace(
"            AudioIODeviceCallback* const oldCallback = callback;

            {
                const ScopedLock sl (callbackLock);
                callback = newCallback;
            }
"
"            AudioIODeviceCallback* const oldCallback = callback;

            callback = newCallback;
            callbackGate.waitUntilOutside();
")

velthorn_juce_patch_replace(
"        const ScopedLock sl (callbackLock);

        if (callback != nullptr)
        {
            if ((numActiveInChans + numActiveOutChans) > 0)
                callback->audioDeviceIOCallbackWithContext (inChans.getData(),"
"        callbackGate.enter();
        const ScopeGuard leaveGate { [this] { callbackGate.leave(); } };

        if (auto* const currentCallback = callback.load())
        {
            if ((numActiveInChans + numActiveOutChans) > 0)
                currentCallback->audioDeviceIOCallbackWithContext (inChans.getData(),")

velthorn_juce_patch_replace(
"    CriticalSection callbackLock;"
"    AudioThreadGate callbackGate;")

velthorn_juce_patch_replace(
"    AudioIODeviceCallback* callback = nullptr;"
"    std::atomic<AudioIODeviceCallback*> callback { nullptr };")

velthorn_juce_patch_write()

# The device manager: its audio callback enters the gate instead of taking
# the lock; everything that took the lock to change what that callback reads
# also keeps the audio thread out for as long.
velthorn_juce_patch_read(juce_audio_devices audio_io/juce_AudioDeviceManager.cpp)

velthorn_juce_patch_replace(
"    CallbackHandler (AudioDeviceManager& adm) noexcept  : owner (adm) {}
"
"    CallbackHandler (AudioDeviceManager& adm) noexcept  : owner (adm) {}

    AudioThreadGate gate;
")

velthorn_juce_patch_replace(
"    const ScopedLock sl (audioCallbackLock);

    inputLevelGetter->updateLevel (inputChannelData, numInputChannels, numSamples);

    if (callbacks.size() > 0)
    {
        AudioProcessLoadMeasurer::ScopedTimer timer (loadMeasurer, numSamples);

"
"    auto& gate = callbackHandler->gate;

    if (! gate.tryEnter())
    {
        for (int i = 0; i < numOutputChannels; ++i)
            if (outputChannelData[i] != nullptr)
                zeromem (outputChannelData[i], (size_t) numSamples * sizeof (float));

        return;
    }

    const ScopeGuard leaveGate { [&gate] { gate.leave(); } };

    inputLevelGetter->updateLevel (inputChannelData, numInputChannels, numSamples);

    if (callbacks.size() > 0)
    {
")

# Every other place that takes the lock (ten of them) changes what the
# callback reads.
string(REPLACE "const ScopedLock sl (audioCallbackLock);"
               "const ScopedLock sl (audioCallbackLock);  const AudioThreadGate::Change change (callbackHandler->gate);"
               _juce_patch_text "${_juce_patch_text}")

velthorn_juce_patch_replace(
"namespace juce
{
"
"#include \"../native/AudioThreadGate.h\"

namespace juce
{
")

velthorn_juce_patch_write()
