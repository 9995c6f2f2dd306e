#include "JackPlayRecord.h"

#include "Polling.h"

#include <algorithm>
#include <stdexcept>

namespace e2e
{
    namespace
    {
        jack_port_t* registerPort (JackClient& client, const char* name, unsigned long flags)
        {
            auto* const port = jack_port_register (client.get(), name, JACK_DEFAULT_AUDIO_TYPE, flags, 0);

            if (port == nullptr)
                throw std::runtime_error ("cannot register JACK port " + client.name() + ":" + name);

            return port;
        }
    }

    JackPlayRecord::JackPlayRecord (const JackServer& server, StereoBuffer signalToPlay, size_t framesToRecord)
        : signal (std::move (signalToPlay)),
          recorded (StereoBuffer::silence (framesToRecord))
    {
        player = server.openClient (JackServer::uniqueClientName ("player"));
        recorder = server.openClient (JackServer::uniqueClientName ("recorder"));

        playerPorts[0] = registerPort (*player, "out_left", JackPortIsOutput);
        playerPorts[1] = registerPort (*player, "out_right", JackPortIsOutput);
        recorderPorts[0] = registerPort (*recorder, "in_left", JackPortIsInput);
        recorderPorts[1] = registerPort (*recorder, "in_right", JackPortIsInput);

        jack_set_process_callback (player->get(), playerProcess, this);
        jack_set_process_callback (recorder->get(), recorderProcess, this);
        jack_set_xrun_callback (player->get(), countXrun, this);
        jack_set_xrun_callback (recorder->get(), countXrun, this);

        if (jack_activate (player->get()) != 0 || jack_activate (recorder->get()) != 0)
            throw std::runtime_error ("cannot activate the test's JACK clients on server " + server.name());
    }

    JackPlayRecord::~JackPlayRecord()
    {
        // Stop the callbacks before any member they use goes.
        recorder.reset();
        player.reset();
    }

    void JackPlayRecord::playInto (const std::string& leftInputPort, const std::string& rightInputPort)
    {
        player->connect (jack_port_name (playerPorts[0]), leftInputPort);
        player->connect (jack_port_name (playerPorts[1]), rightInputPort);
    }

    void JackPlayRecord::recordFrom (const std::string& leftOutputPort, const std::string& rightOutputPort)
    {
        recorder->connect (leftOutputPort, jack_port_name (recorderPorts[0]));
        recorder->connect (rightOutputPort, jack_port_name (recorderPorts[1]));
    }

    void JackPlayRecord::makePlayerTheOnlySourceOf (const std::string& inputPort)
    {
        const std::string ours[] = { jack_port_name (playerPorts[0]), jack_port_name (playerPorts[1]) };

        for (const auto& source : player->connectionsOf (inputPort))
            if (std::find (std::begin (ours), std::end (ours), source) == std::end (ours))
                player->disconnect (source, inputPort);
    }

    void JackPlayRecord::startRecording() noexcept
    {
        recordingArmed.store (true, std::memory_order_release);
    }

    void JackPlayRecord::startPlaying() noexcept
    {
        playing.store (true, std::memory_order_release);
    }

    size_t JackPlayRecord::framesRecorded() const noexcept
    {
        return recordPosition.load (std::memory_order_acquire);
    }

    size_t JackPlayRecord::framesPlayed() const noexcept
    {
        return playPosition.load (std::memory_order_acquire);
    }

    bool JackPlayRecord::waitForFramesRecorded (size_t numFrames, std::chrono::milliseconds timeout) const
    {
        return pollUntil (timeout, [this, numFrames] { return framesRecorded() >= numFrames; });
    }

    bool JackPlayRecord::waitForRecording (std::chrono::milliseconds timeout) const
    {
        return waitForFramesRecorded (recorded.size(), timeout);
    }

    StereoBuffer JackPlayRecord::recording() const
    {
        const auto available = framesRecorded();
        return { std::vector<float> (recorded.left.begin(), recorded.left.begin() + static_cast<std::ptrdiff_t> (available)),
                 std::vector<float> (recorded.right.begin(), recorded.right.begin() + static_cast<std::ptrdiff_t> (available)) };
    }

    int JackPlayRecord::xrunCount() const noexcept
    {
        return xruns.load (std::memory_order_relaxed);
    }

    std::string JackPlayRecord::describeState() const
    {
        return "played " + std::to_string (framesPlayed()) + " of " + std::to_string (signal.size())
               + " frames, recorded " + std::to_string (framesRecorded()) + " of " + std::to_string (recorded.size())
               + " frames, " + std::to_string (xrunCount()) + " xruns";
    }

    int JackPlayRecord::playerProcess (jack_nframes_t numFrames, void* selfPointer)
    {
        auto& self = *static_cast<JackPlayRecord*> (selfPointer);
        const size_t n = numFrames;
        float* const out[2] = { static_cast<float*> (jack_port_get_buffer (self.playerPorts[0], numFrames)),
                                static_cast<float*> (jack_port_get_buffer (self.playerPorts[1], numFrames)) };

        size_t copied = 0;

        if (self.playing.load (std::memory_order_acquire))
        {
            // Only this callback moves the position, so a relaxed read is current.
            const size_t position = self.playPosition.load (std::memory_order_relaxed);
            copied = std::min (n, self.signal.size() - position);

            std::copy_n (self.signal.left.data() + position, copied, out[0]);
            std::copy_n (self.signal.right.data() + position, copied, out[1]);
            self.playPosition.store (position + copied, std::memory_order_release);
        }

        std::fill (out[0] + copied, out[0] + n, 0.0f);
        std::fill (out[1] + copied, out[1] + n, 0.0f);
        return 0;
    }

    int JackPlayRecord::recorderProcess (jack_nframes_t numFrames, void* selfPointer)
    {
        auto& self = *static_cast<JackPlayRecord*> (selfPointer);

        if (! self.recordingArmed.load (std::memory_order_acquire))
            return 0;

        const float* const in[2] = { static_cast<const float*> (jack_port_get_buffer (self.recorderPorts[0], numFrames)),
                                     static_cast<const float*> (jack_port_get_buffer (self.recorderPorts[1], numFrames)) };

        const size_t position = self.recordPosition.load (std::memory_order_relaxed);
        const size_t count = std::min (static_cast<size_t> (numFrames), self.recorded.size() - position);

        std::copy_n (in[0], count, self.recorded.left.data() + position);
        std::copy_n (in[1], count, self.recorded.right.data() + position);

        // Publishes the frames just written to the test thread.
        self.recordPosition.store (position + count, std::memory_order_release);
        return 0;
    }

    int JackPlayRecord::countXrun (void* selfPointer)
    {
        static_cast<JackPlayRecord*> (selfPointer)->xruns.fetch_add (1, std::memory_order_relaxed);
        return 0;
    }
}
