#pragma once

#include "JackClient.h"
#include "JackServer.h"
#include "StereoBuffer.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

namespace e2e
{
    // Our own pair of JACK clients: a player that sends a known stereo signal
    // into two input ports and a recorder that captures two output ports. Two
    // clients rather than one keep the graph free of a cycle (player -> app
    // -> recorder), so JACK runs them in that order within each period.
    //
    // Both buffers are allocated up front; the process callbacks only copy and
    // publish their progress through atomics, which the test thread reads.
    // The recording is read only up to the published frame count, which the
    // callback never writes below again.
    //
    // Use: connect everything (playInto, recordFrom), startRecording, wait for
    // the first recorded frames, startPlaying, waitForRecording, recording().
    class JackPlayRecord final
    {
    public:
        // Test thread: opens and activates both clients on the server; silent,
        // not recording. framesToRecord bounds the recording.
        JackPlayRecord (const JackServer& server, StereoBuffer signalToPlay, size_t framesToRecord);
        // Test thread: deactivates and closes both clients.
        ~JackPlayRecord();

        JackPlayRecord (const JackPlayRecord&) = delete;
        JackPlayRecord& operator= (const JackPlayRecord&) = delete;

        // Test thread: the player's left and right ports feed these input ports.
        void playInto (const std::string& leftInputPort, const std::string& rightInputPort);
        // Test thread: the recorder's left and right ports listen to these output ports.
        void recordFrom (const std::string& leftOutputPort, const std::string& rightOutputPort);
        // Test thread: removes every connection into inputPort that is not
        // from the player, so that port receives exactly the played signal.
        void makePlayerTheOnlySourceOf (const std::string& inputPort);

        // Test thread: the recorder captures from its next period on.
        void startRecording() noexcept;
        // Test thread: the player starts the signal at its next period; it
        // sends silence before and after.
        void startPlaying() noexcept;

        // Test thread.
        size_t framesRecorded() const noexcept;
        // Test thread.
        size_t framesPlayed() const noexcept;
        // Test thread: waits until at least numFrames have been recorded.
        bool waitForFramesRecorded (size_t numFrames, std::chrono::milliseconds timeout) const;
        // Test thread: waits until the recording is full.
        bool waitForRecording (std::chrono::milliseconds timeout) const;
        // Test thread: a copy of everything recorded so far.
        StereoBuffer recording() const;

        // Test thread: overruns JACK reported to either client.
        int xrunCount() const noexcept;
        // Test thread: the progress counters and xruns, for failure messages.
        std::string describeState() const;

    private:
        static int playerProcess (jack_nframes_t numFrames, void* self);
        static int recorderProcess (jack_nframes_t numFrames, void* self);
        static int countXrun (void* self);

        const StereoBuffer signal;
        StereoBuffer recorded;

        std::atomic<bool> playing { false };
        std::atomic<bool> recordingArmed { false };
        std::atomic<size_t> playPosition { 0 };
        std::atomic<size_t> recordPosition { 0 };
        std::atomic<int> xruns { 0 };

        // Declared last, so the clients are closed (and their callbacks have
        // stopped) before the buffers above go.
        std::unique_ptr<JackClient> player, recorder;
        jack_port_t* playerPorts[2] {};
        jack_port_t* recorderPorts[2] {};
    };
}
