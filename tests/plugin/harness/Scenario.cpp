#include "Scenario.h"

#include "HostedPlugin.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace harness
{
    int controllerFor (const std::string& id)
    {
        static const char* const byController[] { "distOn", "ampOn", "delOn", "mastOn", "wahOn",
                                                  "mast", "delAm", "ampDrv", "distGain", "wahFreq" };

        for (int cc = 0; cc < 10; ++cc)
            if (id == byController[cc])
                return cc;

        return -1;
    }

    juce::AudioBuffer<float> makeInput (double sampleRate, double seconds, double tailSeconds)
    {
        const auto signal = static_cast<int> (seconds * sampleRate);
        juce::AudioBuffer<float> input (2, signal + static_cast<int> (tailSeconds * sampleRate));
        input.clear();

        uint32_t state = 0x2545f491u;
        double phase = 0.0;

        for (int i = 0; i < signal; ++i)
        {
            state = state * 1664525u + 1013904223u;
            input.setSample (0, i, 0.5f * (static_cast<float> (state >> 8) / 8388608.0f - 1.0f));

            const double t = i / sampleRate;
            const double frequency = 40.0 * std::pow (200.0, t / seconds);
            phase += 2.0 * juce::MathConstants<double>::pi * frequency / sampleRate;
            input.setSample (1, i, static_cast<float> (0.5 * std::sin (phase)));
        }

        // A first sample that is never zero, so outputs can be aligned on it.
        input.setSample (0, 0, 0.5f);
        input.setSample (1, 0, 0.25f);
        return input;
    }

    namespace
    {
        std::vector<Setting> randomSettings (std::mt19937& random)
        {
            std::vector<Setting> settings;

            for (const auto& info : parameters)
            {
                float value = 0.0f;

                if (info.isSwitch)
                    value = std::string (info.id) == "mastOn" || std::string (info.id) == "ampOn"
                                ? 1.0f
                                : static_cast<float> (random() % 2);
                else
                    value = static_cast<float> (random() % 65) / 64.0f;   // exact in any text form

                settings.push_back ({ info.id, value });
            }

            return settings;
        }

        std::vector<int64_t> distinctPositions (std::mt19937& random, int count, int64_t length)
        {
            std::vector<int64_t> positions;

            while (static_cast<int> (positions.size()) < count)
            {
                const auto p = 1 + static_cast<int64_t> (random() % static_cast<uint32_t> (length - 1));

                if (std::find (positions.begin(), positions.end(), p) == positions.end())
                    positions.push_back (p);
            }

            std::sort (positions.begin(), positions.end());
            return positions;
        }
    }

    Scenario makeRenderableScenario (double sampleRate, uint32_t seed)
    {
        std::mt19937 random (seed);
        Scenario scenario;
        scenario.sampleRate = sampleRate;
        scenario.input = makeInput (sampleRate, 0.25, 0.1);
        scenario.settings = randomSettings (random);

        const auto length = static_cast<int64_t> (scenario.input.getNumSamples());
        const auto positions = distinctPositions (random, 24, length);

        // Alternate: automation from the host, then a control change by MIDI.
        for (size_t i = 0; i < positions.size(); ++i)
        {
            const int controller = static_cast<int> (random() % 10);
            const bool isSwitch = controller < 5;
            // Switches see 0 or 127 only; for the master switch mostly on,
            // so the effect keeps sounding.
            const int value = isSwitch ? (controller == 3 ? (random() % 4 == 0 ? 0 : 127) : (random() % 2 == 0 ? 0 : 127))
                                       : static_cast<int> (random() % 128);

            if (i % 2 == 0)
            {
                static const char* const ids[] { "distOn", "ampOn", "delOn", "mastOn", "wahOn",
                                                 "mast", "delAm", "ampDrv", "distGain", "wahFreq" };
                // The value a control change would give the engine.
                const auto engineValue = isSwitch ? static_cast<float> (value == 127 ? 1 : 0)
                                                  : static_cast<float> (static_cast<double> (value) / 127.0);
                scenario.automation.push_back ({ positions[i], { ids[controller], engineValue } });
            }
            else
            {
                scenario.midi.push_back ({ positions[i], controller, value });
            }
        }

        return scenario;
    }

    Scenario makeFullAutomationScenario (double sampleRate, uint32_t seed)
    {
        std::mt19937 random (seed);
        Scenario scenario;
        scenario.sampleRate = sampleRate;
        scenario.input = makeInput (sampleRate, 0.25, 0.1);
        scenario.settings = randomSettings (random);

        const auto length = static_cast<int64_t> (scenario.input.getNumSamples());
        const auto positions = distinctPositions (random, 3 * static_cast<int> (parameters.size()), length);
        std::uniform_real_distribution<float> anyValue (0.0f, 1.0f);

        // Every parameter three times, in a random order.
        std::vector<int> order;
        for (int round = 0; round < 3; ++round)
            for (int p = 0; p < static_cast<int> (parameters.size()); ++p)
                order.push_back (p);
        std::shuffle (order.begin(), order.end(), random);

        // Each parameter's first move is a NaN, as broken automation gives:
        // the plugin must keep the value it has. Two sound moves follow, so
        // every parameter ends on a value a host can show and store.
        std::vector<bool> moved (parameters.size(), false);

        for (size_t i = 0; i < positions.size(); ++i)
        {
            const auto p = static_cast<size_t> (order[i]);
            const auto& info = parameters[p];
            const auto value = info.isSwitch ? static_cast<float> (random() % 2) : anyValue (random);
            scenario.automation.push_back ({ positions[i], { info.id, moved[p] ? value : std::numeric_limits<float>::quiet_NaN() } });
            moved[p] = true;
        }

        return scenario;
    }
}
