// The smallest useful JACK client: two inputs copied to two outputs. The
// whole-process benchmark runs it next to Velthorn as the yardstick of what
// being a JACK client costs by itself. It runs until SIGTERM or SIGINT and
// then closes its client.
//
// Usage: velthorn_passthrough <client name>   (server from JACK_DEFAULT_SERVER)

#include <jack/jack.h>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace
{
    jack_port_t* inputs[2] {};
    jack_port_t* outputs[2] {};

    int process (jack_nframes_t numFrames, void*)
    {
        for (int channel = 0; channel < 2; ++channel)
        {
            const auto* in = static_cast<const jack_default_audio_sample_t*> (jack_port_get_buffer (inputs[channel], numFrames));
            auto* out = static_cast<jack_default_audio_sample_t*> (jack_port_get_buffer (outputs[channel], numFrames));
            std::memcpy (out, in, sizeof (jack_default_audio_sample_t) * numFrames);
        }

        return 0;
    }
}

int main (int argc, char** argv)
{
    const char* const name = argc > 1 ? argv[1] : "passthrough";

    // The signals are taken by sigwait below, on this thread only: blocked
    // before JACK starts its threads, so they inherit the mask.
    sigset_t quitSignals;
    sigemptyset (&quitSignals);
    sigaddset (&quitSignals, SIGTERM);
    sigaddset (&quitSignals, SIGINT);
    pthread_sigmask (SIG_BLOCK, &quitSignals, nullptr);

    jack_status_t status {};
    jack_client_t* const client = jack_client_open (name, JackNoStartServer, &status);
    if (client == nullptr)
    {
        std::fprintf (stderr, "no JACK server (status 0x%x)\n", static_cast<unsigned> (status));
        return 1;
    }

    const char* const inNames[] = { "in_1", "in_2" };
    const char* const outNames[] = { "out_1", "out_2" };

    for (int channel = 0; channel < 2; ++channel)
    {
        inputs[channel] = jack_port_register (client, inNames[channel], JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        outputs[channel] = jack_port_register (client, outNames[channel], JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    }

    jack_set_process_callback (client, process, nullptr);

    if (jack_activate (client) != 0)
    {
        std::fprintf (stderr, "cannot activate the client\n");
        jack_client_close (client);
        return 1;
    }

    int received = 0;
    sigwait (&quitSignals, &received);

    jack_deactivate (client);
    jack_client_close (client);
    return 0;
}
