// Any bytes as a script for the engine: device starts at any rate, blocks of
// any size and channel count, parameter writes, MIDI bytes and oversampling
// factors (with every factor made ready at the start, or only the one asked
// for) in any order. Nothing may crash or trip the sanitizer, and every
// output sample must be finite: the engine keeps its parameters within their
// range whatever is written (a NaN changes nothing), and the mix-down drops
// non-finite input.

#include "AudioMidiHandler.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

namespace
{
    class Script
    {
    public:
        Script (const uint8_t* data, size_t size) : bytes (data), remaining (size) {}

        bool done() const noexcept { return remaining == 0; }

        uint8_t next()
        {
            if (remaining == 0)
                return 0;

            --remaining;
            return *bytes++;
        }

        int nextShort() { return next() | (next() << 8); }

    private:
        const uint8_t* bytes;
        size_t remaining;
    };

    constexpr double rates[] = { 8000.0, 11025.0, 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0 };

    // Beyond full scale, as an input that clips would give, and the values
    // a faulty driver delivers.
    float sampleFrom (Script& script)
    {
        const auto kind = script.next();

        switch (kind)
        {
            case 250: return std::numeric_limits<float>::quiet_NaN();
            case 251: return std::numeric_limits<float>::infinity();
            case 252: return -std::numeric_limits<float>::infinity();
            case 253: return std::numeric_limits<float>::denorm_min();
            default: break;
        }

        return static_cast<float> (static_cast<int16_t> (script.nextShort())) / 8192.0f;
    }

    float parameterValue (Script& script)
    {
        const auto kind = script.next();

        switch (kind)
        {
            case 250: return std::numeric_limits<float>::quiet_NaN();
            case 251: return std::numeric_limits<float>::infinity();
            case 252: return -1.0f;
            case 253: return 2.0f;
            case 254: return -std::numeric_limits<float>::max();
            default: break;
        }

        return static_cast<float> (kind) / 249.0f;
    }
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    Script script (data, size);
    AudioMidiHandler engine;
    bool running = false;
    int starts = 0;

    std::vector<std::vector<float>> inputs, outputs;
    std::vector<const float*> inputPointers;
    std::vector<float*> outputPointers;

    for (int step = 0; step < 32 && ! script.done(); ++step)
    {
        switch (script.next() % 6)
        {
            case 0:   // a device starts (again)
                // Preparing clears a second of delay memory; two starts per
                // input show a restart and keep the fuzzer fast enough.
                if (++starts > 2)
                    break;

                if (running)
                    engine.release();

                engine.prepareEveryOversampling ((script.next() & 1) != 0);
                engine.prepare (rates[script.next() % 8], 1 + script.nextShort() % 8192);
                running = true;
                break;

            case 1:   // a device stops
                if (running)
                    engine.release();

                running = false;
                break;

            case 2:
            {
                // A parameter write, indices outside the table included.
                const auto index = static_cast<int> (script.next() % 21) - 1;
                engine.setParameter (index, parameterValue (script));
                break;
            }

            case 3:
            {
                // What a MIDI input delivers: a status byte and its data.
                uint8_t message[3] = { static_cast<uint8_t> (script.next() | 0x80), script.next(), script.next() };
                const auto length = 1 + script.next() % 3;
                engine.handleMidi (juce::MidiMessage (message, length));
                break;
            }

            case 4:   // the factor changes: at the next block if it was made ready, else at the next start
                engine.setOversampling (script.next() % 9);
                break;

            default:
            {
                if (! running)
                    break;

                const auto numInputs = script.next() % 5;
                const auto numOutputs = script.next() % 5;
                const auto numSamples = script.nextShort() % 1025;

                inputs.assign (numInputs, std::vector<float> (static_cast<size_t> (numSamples)));
                outputs.assign (numOutputs, std::vector<float> (static_cast<size_t> (numSamples), 12345.0f));

                // The bytes fill the start of each input; the rest repeats
                // them, so a short script still plays long blocks.
                for (auto& channel : inputs)
                    for (size_t i = 0; i < channel.size(); ++i)
                        channel[i] = i < 64 ? sampleFrom (script) : channel[i % 64];

                inputPointers.clear();
                outputPointers.clear();

                for (auto& channel : inputs)
                    inputPointers.push_back (channel.data());

                for (auto& channel : outputs)
                    outputPointers.push_back (channel.data());

                engine.process (inputPointers.data(), numInputs, outputPointers.data(), numOutputs, numSamples);

                for (const auto& channel : outputs)
                    for (const auto sample : channel)
                        if (! std::isfinite (sample))
                        {
                            std::fprintf (stderr, "engine_fuzzer: non-finite output\n");
                            std::abort();
                        }
                break;
            }
        }
    }

    if (running)
        engine.release();

    return 0;
}
