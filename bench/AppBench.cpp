// The whole app against the smallest JACK client, side by side: its own
// virtual display, a JACK server on the dummy driver (48 kHz, 256 frames), a
// feeder playing a test signal into both, Velthorn with its window shown and
// velthorn_passthrough. After a settling time it reads every thread's context
// switches and CPU time of both processes from /proc over a fixed time and
// prints them per thread, the totals and the ratios. Absolute figures swing
// with whatever else the machine does; the two processes share that, so the
// ratio is the figure to watch.
//
// With "silence" the feeder plays silence instead: the meter rests and the
// window draws nothing, which shows the cost of what always runs (the effect
// chain, the display updates) apart from drawing a moving meter.
//
// Usage: velthorn_app_bench <path of velthorn_passthrough> [seconds] [silence]

#include "JackClient.h"
#include "JackPlayRecord.h"
#include "JackServer.h"
#include "Polling.h"
#include "Process.h"
#include "TempDirectory.h"
#include "TestSignal.h"
#include "ThreadActivity.h"
#include "VelthornApp.h"
#include "XvfbServer.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

namespace
{
    constexpr std::chrono::seconds settling { 3 };

    struct Totals
    {
        double wakeUps = 0.0;
        double cpu = 0.0;
    };

    Totals print (const char* title, const std::map<pid_t, e2e::ThreadRates>& rates, pid_t pid)
    {
        Totals totals;
        std::printf ("\n%s (pid %d)\n", title, static_cast<int> (pid));
        // Wake-ups are all context switches; "voluntary" are those where the
        // thread slept and was woken, the rest are preemptions.
        std::printf ("  %-8s %-22s %12s %10s %10s\n", "tid", "thread", "wake-ups/s", "voluntary", "CPU %");

        for (const auto& [tid, r] : rates)
        {
            const auto name = tid == pid ? r.name + " (main)" : r.name;
            std::printf ("  %-8d %-22s %12.1f %10.1f %10.2f\n", static_cast<int> (tid), name.c_str(),
                         r.wakeUpsPerSecond, r.voluntaryPerSecond, r.cpuPercent);
            totals.wakeUps += r.wakeUpsPerSecond;
            totals.cpu += r.cpuPercent;
        }

        std::printf ("  %-31s %12.1f %10s %10.2f\n", "whole process", totals.wakeUps, "", totals.cpu);
        return totals;
    }

    int run (const std::string& passThroughPath, int seconds, bool silence)
    {
        const e2e::TempDirectory work ("velthorn-bench-app-");
        const auto logs = work.path() / "logs";
        const auto home = work.path() / "home";
        std::filesystem::create_directories (logs);

        e2e::XvfbServer xvfb (logs);
        e2e::JackServer jack (logs);

        e2e::VelthornApp app (home, xvfb.display(), jack.name(), logs);
        if (const auto opened = app.waitForJackDevice (jack); ! opened)
            throw std::runtime_error (opened.message());
        app.waitForMainWindow();

        const auto passThroughName = e2e::JackServer::uniqueClientName ("passthrough");
        e2e::ProcessSpec spec;
        spec.label = "passthrough";
        spec.arguments = { passThroughPath, passThroughName };
        spec.environment.set ("JACK_DEFAULT_SERVER", jack.name());
        spec.logDirectory = logs;
        e2e::Process passThrough (spec);

        const auto observer = jack.openClient (e2e::JackServer::uniqueClientName ("observer"));
        if (! e2e::pollUntil (e2e::startupTimeout, [&] { return observer->portExists (passThroughName + ":out_2"); }))
            throw std::runtime_error ("the pass-through client did not start\n" + passThrough.report());

        observer->connect (passThroughName + ":out_1", "system:playback_1");
        observer->connect (passThroughName + ":out_2", "system:playback_2");

        const auto frames = static_cast<size_t> (e2e::JackServer::sampleRate) * static_cast<size_t> (seconds + 30);
        e2e::JackPlayRecord feeder (jack,
                                    silence ? e2e::StereoBuffer::silence (frames)
                                            : e2e::makeTestSignal (frames, e2e::JackServer::sampleRate),
                                    1);
        feeder.playInto (e2e::VelthornApp::jackPort ("in_1"), e2e::VelthornApp::jackPort ("in_2"));
        feeder.playInto (passThroughName + ":in_1", passThroughName + ":in_2");
        feeder.makePlayerTheOnlySourceOf (e2e::VelthornApp::jackPort ("in_1"));
        feeder.makePlayerTheOnlySourceOf (e2e::VelthornApp::jackPort ("in_2"));
        feeder.startPlaying();

        std::this_thread::sleep_for (settling);

        const auto appPid = app.process().pid();
        const auto passPid = passThrough.pid();
        const auto start = std::chrono::steady_clock::now();
        const auto appBefore = e2e::readThreadCounters (appPid);
        const auto passBefore = e2e::readThreadCounters (passPid);
        std::this_thread::sleep_for (std::chrono::seconds (seconds));
        const auto appAfter = e2e::readThreadCounters (appPid);
        const auto passAfter = e2e::readThreadCounters (passPid);
        const double elapsed = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();

        std::printf ("Velthorn and a pass-through JACK client, %d Hz, %d frames, window shown, %s in, %.1f s\n",
                     e2e::JackServer::sampleRate, e2e::JackServer::periodFrames, silence ? "silence" : "test signal",
                     elapsed);

        const auto appTotals = print ("Velthorn", e2e::ratesBetween (appBefore, appAfter, elapsed), appPid);
        const auto passTotals = print ("pass-through", e2e::ratesBetween (passBefore, passAfter, elapsed), passPid);

        std::printf ("\nratio Velthorn / pass-through: CPU %.2f, wake-ups %.2f\n",
                     passTotals.cpu > 0.0 ? appTotals.cpu / passTotals.cpu : 0.0,
                     passTotals.wakeUps > 0.0 ? appTotals.wakeUps / passTotals.wakeUps : 0.0);
        std::printf ("(xruns seen by the feeder: %d)\n", feeder.xrunCount());
        return 0;
    }
}

int main (int argc, char** argv)
{
    if (argc < 2 || argc > 4 || (argc == 4 && std::string (argv[3]) != "silence"))
    {
        std::fprintf (stderr, "usage: %s <velthorn_passthrough> [seconds] [silence]\n", argv[0]);
        return 2;
    }

    try
    {
        return run (argv[1], argc > 2 ? std::stoi (argv[2]) : 10, argc == 4);
    }
    catch (const std::exception& e)
    {
        std::cerr << "bench-app failed: " << e.what() << "\n";
        return 1;
    }
}
