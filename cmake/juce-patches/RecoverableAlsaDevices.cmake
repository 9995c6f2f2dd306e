# Two changes to the framework's ALSA code that the app's device recovery
# (src/app/DeviceRecovery) needs.
#
# 1. The framework's ALSA device reads and writes in blocking calls. A device
# that stops delivering while it stays open - ALSA's jack plugin after the
# JACK server behind it died - holds its audio thread in such a call for
# good: it never calls back again, and closing it blocks the closing thread:
# the framework waits for the audio thread, closes the PCM while the thread is
# still inside a call on it, waits six seconds more and finally kills the
# thread.
#
# This waits in short steps before every read and write instead, looking
# each time whether the thread is asked to stop, and only reads or writes
# once the device is ready, which then does not block. A dead device still
# calls back no more (the app's device recovery notices that and reopens
# it), but it closes at once. A capture stream, which the first blocking
# read used to start, is started before the first wait.
#
# 2. The ALSA device type listed its devices once for the life of the
# process: a device that appeared later (a USB interface plugged in after the
# start) was never offered, and could not be opened when it came back. The
# list comes from ALSA's device hints without opening the devices, so it is
# cheap to make again, and now is made again on every scan as the other
# device types do.

velthorn_juce_patch_read(juce_audio_devices native/juce_linux_ALSA.cpp)

velthorn_juce_patch_replace(
"            if (inputDevice != nullptr && inputDevice->handle != nullptr)
            {
                if (outputDevice == nullptr || outputDevice->handle == nullptr)
                {
                    JUCE_ALSA_FAILED (snd_pcm_wait (inputDevice->handle, 2000));

                    if (threadShouldExit())
                        break;

                    auto avail"
"            if (inputDevice != nullptr && inputDevice->handle != nullptr)
            {
                if (! waitUntilReady (inputDevice->handle))
                    break;

                if (outputDevice == nullptr || outputDevice->handle == nullptr)
                {
                    auto avail")

velthorn_juce_patch_replace(
"            if (outputDevice != nullptr && outputDevice->handle != nullptr)
            {
                JUCE_ALSA_FAILED (snd_pcm_wait (outputDevice->handle, 2000));

                if (threadShouldExit())
                    break;
"
"            if (outputDevice != nullptr && outputDevice->handle != nullptr)
            {
                if (! waitUntilReady (outputDevice->handle))
                    break;
")

velthorn_juce_patch_replace(
"    int getBitDepth() const noexcept
    {"
"    // True once the device can be read or written without blocking (or has
    // an error the read or write recovers from); false when the thread is
    // asked to stop first.
    bool waitUntilReady (snd_pcm_t* handle)
    {
        if (snd_pcm_stream (handle) == SND_PCM_STREAM_CAPTURE && snd_pcm_state (handle) == SND_PCM_STATE_PREPARED)
            JUCE_ALSA_FAILED (snd_pcm_start (handle));

        for (;;)
        {
            const auto ready = snd_pcm_wait (handle, 50);

            if (threadShouldExit())
                return false;

            if (ready != 0)
                return true;
        }
    }

    int getBitDepth() const noexcept
    {")

velthorn_juce_patch_replace(
"    void scanForDevices()
    {
        if (hasScanned)
            return;

        hasScanned = true;"
"    void scanForDevices()
    {
        hasScanned = true;")

velthorn_juce_patch_write()
