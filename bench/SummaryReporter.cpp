#include "SummaryReporter.h"

#include "BenchScenarios.h"

#include <cmath>
#include <cstdio>

namespace velthorn::bench
{
    void SummaryReporter::ReportRuns (const std::vector<Run>& runs)
    {
        ConsoleReporter::ReportRuns (runs);

        for (const auto& run : runs)
        {
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const auto counter = run.counters.find ("ns_per_sample");

            if ((single || median) && counter != run.counters.end())
                perSample[run.run_name.str()] = counter->second.value;
        }
    }

    double SummaryReporter::nanoseconds (const std::string& name) const
    {
        const auto found = perSample.find (name);
        return found != perSample.end() ? found->second : std::nan ("");
    }

    void SummaryReporter::printSummary() const
    {
        const auto realTime = [] (double ns) { return 1.0e9 / (ns * 48000.0); };

        std::printf ("\nPer sample of mono audio at 48 kHz (CPU time; medians when repeated):\n\n");
        std::printf ("| %-56s | %10s | %12s | %10s | %8s | %10s | %10s | %10s |\n", "scenario", "literal ns",
                     "per-sample ns", "cached ns", "speed-up", "cached xRT", "engine ns", "engine xRT");
        std::printf ("|%s|%s|%s|%s|%s|%s|%s|%s|\n", std::string (58, '-').c_str(), std::string (12, '-').c_str(),
                     std::string (14, '-').c_str(), std::string (12, '-').c_str(), std::string (10, '-').c_str(),
                     std::string (12, '-').c_str(), std::string (12, '-').c_str(), std::string (12, '-').c_str());

        for (const auto& scenario : scenarios())
        {
            const double literal = nanoseconds ("Chain/" + scenario.key + "/literal");
            const double slots = nanoseconds ("Chain/" + scenario.key + "/cached_slots");
            const double cached = nanoseconds ("Chain/" + scenario.key + "/cached");
            const double engine = nanoseconds ("Engine/" + scenario.key);
            if (std::isnan (literal) && std::isnan (cached) && std::isnan (engine))
                continue;

            std::printf ("| %-56s | %10.1f | %12.1f | %10.1f | %7.1fx | %10.0f | %10.1f | %10.0f |\n", scenario.title.c_str(),
                         literal, slots, cached, literal / cached, realTime (cached), engine, realTime (engine));
        }

        std::printf ("\nliteral: the literal slots sample by sample; per-sample: the cached chain's slot functions sample\n"
                     "by sample; cached: its pipelined blocks, as the engine runs them (speed-up = literal / cached);\n"
                     "xRT: times faster than real time at 48 kHz on one core.\n");
        std::printf ("\nengine: the AudioMidiHandler callback, 256-sample blocks of two input channels; with a MIDI\n"
                     "sweep, 1-sample blocks with the two control changes between them.\n");

        std::printf ("\nPlugin processBlock (256-sample blocks, stereo buffer) against the engine callback:\n\n");
        std::printf ("| %-56s | %10s | %10s | %12s | %14s |\n", "scenario", "engine ns", "plugin ns", "wrapper ns",
                     "wrapper/block");
        std::printf ("|%s|%s|%s|%s|%s|\n", std::string (58, '-').c_str(), std::string (12, '-').c_str(),
                     std::string (12, '-').c_str(), std::string (14, '-').c_str(), std::string (16, '-').c_str());

        for (const auto& scenario : scenarios())
        {
            const double engine = nanoseconds ("Engine/" + scenario.key);
            const double plugin = nanoseconds ("Plugin/" + scenario.key);
            if (std::isnan (engine) || std::isnan (plugin))
                continue;

            std::printf ("| %-56s | %10.1f | %10.1f | %12.2f | %11.0f ns |\n", scenario.title.c_str(), engine, plugin,
                         plugin - engine, (plugin - engine) * blockSize);
        }

        std::printf ("\nwrapper: plugin minus engine, per sample and per block (with a MIDI sweep the plugin cuts the\n"
                     "block at 512 events, the engine benchmark runs 256 one-sample callbacks).\n");

        const struct
        {
            const char* title;
            const char* prefix;
        } tails[] { { "engine callback (flush-to-zero, denormals-are-zero)", "Tail/engine/" },
                    { "cached chain without flush-to-zero", "Tail/no_ftz_daz/" } };

        std::printf ("\nOversampling: the engine callback at each factor (256-sample blocks, still knobs), ns per device\n"
                     "sample and, in brackets, times the cost at 1x:\n\n");
        std::printf ("| %-40s | %10s | %18s | %18s | %18s |\n", "chain", "1x ns", "2x ns", "4x ns", "8x ns");
        std::printf ("|%s|%s|%s|%s|%s|\n", std::string (42, '-').c_str(), std::string (12, '-').c_str(),
                     std::string (20, '-').c_str(), std::string (20, '-').c_str(), std::string (20, '-').c_str());

        const struct
        {
            const char* title;
            const char* key;
        } oversampled[] { { "amp + cabinet (the default sound)", "amp" },
                          { "all four slots", "all" },
                          { "master off: the resampling alone", "resampling_only" } };

        for (const auto& row : oversampled)
        {
            const double single = nanoseconds (std::string ("Oversampling/") + row.key + "/x1");
            if (std::isnan (single))
                continue;

            std::printf ("| %-40s | %10.1f |", row.title, single);
            for (int factor : { 2, 4, 8 })
            {
                const double ns = nanoseconds (std::string ("Oversampling/") + row.key + "/x" + std::to_string (factor));
                std::printf (" %9.1f (%4.1fx) |", ns, ns / single);
            }
            std::printf ("\n");
        }

        std::printf ("\nDecaying tails, all four slots: 0.1 s burst + 1.9 s silence against 2 s of noise:\n\n");
        std::printf ("| %-52s | %12s | %14s | %8s |\n", "path", "noise ns", "burst+tail ns", "ratio");
        std::printf ("|%s|%s|%s|%s|\n", std::string (54, '-').c_str(), std::string (14, '-').c_str(),
                     std::string (16, '-').c_str(), std::string (10, '-').c_str());
        for (const auto& tail : tails)
        {
            const double noise = nanoseconds (std::string (tail.prefix) + "noise");
            const double silence = nanoseconds (std::string (tail.prefix) + "burst_then_silence");
            if (std::isnan (noise) && std::isnan (silence))
                continue;
            std::printf ("| %-52s | %12.1f | %14.1f | %7.2fx |\n", tail.title, noise, silence, silence / noise);
        }
        std::printf ("\n");
    }
}
