// How much the clips fold back below 20 kHz at each oversampling factor: a
// steady sine through the engine, and the loudest line of the output that is
// not a harmonic of it. The whole table is printed.

#include "AudioMidiHandler.h"
#include "SpectrumAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace
{
    constexpr double rates[] { 44100.0, 48000.0 };
    constexpr double tones[] { 1000.0, 3500.0, 8000.0 };
    constexpr int factors[] { 1, 2, 4, 8 };

    // A guitar's DI at a healthy level: -6 dBFS.
    constexpr double level = 0.5;

    struct Setting
    {
        const char* name;
        void (*apply) (AudioMidiHandler&);
    };

    const Setting settings[] {
        { "distortion at full gain, amp off",
          [] (AudioMidiHandler& e)
          {
              e.setParameter (9, 1.0f);    // distOn
              e.setParameter (7, 1.0f);    // distGain: +80 dB
              e.setParameter (14, 0.0f);   // ampOn
          } },
        { "amp drive at full",
          [] (AudioMidiHandler& e)
          {
              e.setParameter (10, 1.0f);   // ampDrv: +40 dB
          } },
        { "every slot on",
          [] (AudioMidiHandler& e)
          {
              for (int index : { 2, 6, 9, 14 })
                  e.setParameter (index, 1.0f);
          } },
    };

    // The sine fades in over 10 ms, and the analysis waits six seconds, by
    // which time the half-second echoes of its start are more than 70 dB down.
    std::vector<float> render (double rate, double tone, const Setting& setting, int factor)
    {
        AudioMidiHandler engine;
        engine.setOversampling (factor);
        setting.apply (engine);
        engine.prepare (rate, 256);

        const int length = static_cast<int> (6.0 * rate) + 65536;
        std::vector<float> signal (static_cast<size_t> (length));
        for (int n = 0; n < length; ++n)
        {
            const double fade = std::min (1.0, n / (0.01 * rate));
            const double envelope = 0.5 - 0.5 * std::cos (3.141592653589793 * fade);
            signal[static_cast<size_t> (n)]
                = static_cast<float> (level * envelope * std::sin (6.283185307179586 * tone * n / rate));
        }

        for (int start = 0; start < length; start += 256)
        {
            const int n = std::min (256, length - start);
            const float* in[] { signal.data() + start };
            float* out[] { signal.data() + start };
            engine.process (in, 1, out, 1, n);
        }

        engine.release();
        return signal;
    }

    std::string key (double rate, double tone, int setting, int factor)
    {
        return std::to_string (static_cast<int> (rate)) + "/" + std::to_string (static_cast<int> (tone)) + "/"
             + std::to_string (setting) + "/" + std::to_string (factor);
    }
}

TEST (OversamplingAliasing, FactorEightKeepsEveryFoldedLineOf1kAnd35kHz60dBDown)
{
    std::map<std::string, spectrum::NonHarmonicPartial> table;

    for (const double rate : rates)
        for (const double tone : tones)
            for (int s = 0; s < static_cast<int> (std::size (settings)); ++s)
                for (const int factor : factors)
                    table[key (rate, tone, s, factor)]
                        = spectrum::worstNonHarmonic (render (rate, tone, settings[s], factor), rate, tone);

    std::printf ("\nLoudest partial below 20 kHz that is not a harmonic of the tone, in dB under the strongest partial\n"
                 "(sine at -6 dBFS; in brackets the frequency where it lies, Hz):\n\n");
    std::printf ("| rate  | tone     | setting                          |          1x    |          2x    |          4x    "
                 "|          8x    |\n");
    std::printf ("|-------|----------|----------------------------------|----------------|----------------|----------------"
                 "|----------------|\n");

    for (const double rate : rates)
        for (const double tone : tones)
            for (int s = 0; s < static_cast<int> (std::size (settings)); ++s)
            {
                std::printf ("| %5.0f | %5.0f Hz | %-32s |", rate, tone, settings[s].name);
                for (const int factor : factors)
                {
                    const auto& p = table[key (rate, tone, s, factor)];
                    std::printf (" %6.1f (%5.0f) |", p.levelDb, p.frequency);
                }
                std::printf ("\n");
            }
    std::printf ("\n");

    for (const double rate : rates)
        for (const double tone : { 1000.0, 3500.0 })
            for (int s = 0; s < static_cast<int> (std::size (settings)); ++s)
            {
                const auto& eight = table[key (rate, tone, s, 8)];
                EXPECT_LE (eight.levelDb, -60.0) << rate << " Hz, " << tone << " Hz tone, " << settings[s].name
                                                 << ": a line at " << eight.frequency << " Hz";
            }

    // Where factor 1 folds back audibly, every higher factor does better.
    for (const double rate : rates)
        for (const double tone : tones)
            for (int s = 0; s < static_cast<int> (std::size (settings)); ++s)
            {
                const double single = table[key (rate, tone, s, 1)].levelDb;
                if (single < -60.0)
                    continue;

                for (const int factor : { 2, 4, 8 })
                    EXPECT_LT (table[key (rate, tone, s, factor)].levelDb, single - 3.0)
                        << rate << " Hz, " << tone << " Hz tone, " << settings[s].name << ", " << factor << "x";
            }
}
