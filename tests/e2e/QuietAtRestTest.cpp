#include "E2eTest.h"
#include "JackPlayRecord.h"
#include "Polling.h"
#include "TestSignal.h"
#include "ThreadActivity.h"

#include <chrono>
#include <sstream>
#include <thread>

namespace
{
    // The panel mirrors the engine 20 times a second; that and a little
    // more is all the message thread has to do while nobody touches the app.
    // The framework's timer thread, if it runs at all, has nothing to do.
    //
    // Wake-ups are the voluntary context switches: the thread went to sleep
    // and something woke it. The involuntary ones are the scheduler taking
    // the CPU from a running thread, which counts how busy the machine is
    // (several tests run at once), not what the app asks for; they are
    // printed but not bounded.
    constexpr double maximumWakeUpsPerSecond = 25.0;

    // Counted over this long. The counts are whole context switches taken
    // from the kernel, so a few seconds give a stable rate.
    constexpr std::chrono::seconds measurement { 4 };

    const char* const timerThreadName = "JUCE Timer";

    std::string describe (const std::map<pid_t, e2e::ThreadRates>& rates, pid_t pid)
    {
        std::ostringstream text;

        for (const auto& [tid, r] : rates)
            text << "\n  " << tid << (tid == pid ? " (message thread)" : "") << " \"" << r.name << "\": "
                 << r.wakeUpsPerSecond << " wake-ups/s (" << r.voluntaryPerSecond << " voluntary), " << r.cpuPercent << " % CPU";

        return text.str();
    }

    class QuietAtRestTest : public e2e::E2eTest
    {
    };

    TEST_F (QuietAtRestTest, TimerAndMessageThreadsWakeRarelyWhileTheWindowShowsAMovingMeter)
    {
        launchAppOnJack();
        auto& app = launchedApp();
        const auto pid = app.process().pid();

        // A signal whose peak changes from block to block, so the meter and
        // with it the window repaint all through the measurement.
        const auto signalLength = static_cast<size_t> (e2e::JackServer::sampleRate) * 60;
        e2e::JackPlayRecord playRecord (startJack(), e2e::makeTestSignal (signalLength, e2e::JackServer::sampleRate), 1);
        playRecord.playInto (e2e::VelthornApp::jackPort ("in_1"), e2e::VelthornApp::jackPort ("in_2"));
        playRecord.makePlayerTheOnlySourceOf (e2e::VelthornApp::jackPort ("in_1"));
        playRecord.makePlayerTheOnlySourceOf (e2e::VelthornApp::jackPort ("in_2"));
        playRecord.startPlaying();
        ASSERT_TRUE (e2e::pollUntil (e2e::startupTimeout, [&] { return playRecord.framesPlayed() > 0; }))
            << playRecord.describeState();

        const auto start = std::chrono::steady_clock::now();
        const auto before = e2e::readThreadCounters (pid);
        // A fixed measuring window, not a wait for anything.
        std::this_thread::sleep_for (measurement);
        const auto after = e2e::readThreadCounters (pid);
        const double seconds = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();

        ASSERT_TRUE (app.process().isRunning()) << app.process().report();
        ASSERT_LT (playRecord.framesPlayed(), signalLength) << "the signal ended during the measurement";

        const auto rates = e2e::ratesBetween (before, after, seconds);
        ASSERT_EQ (rates.count (pid), 1u) << "no message thread in" << describe (rates, pid);

        EXPECT_LE (rates.at (pid).voluntaryPerSecond, maximumWakeUpsPerSecond)
            << "the message thread wakes too often:" << describe (rates, pid);

        for (const auto& [tid, r] : rates)
        {
            if (r.name == timerThreadName)
            {
                EXPECT_LE (r.voluntaryPerSecond, maximumWakeUpsPerSecond)
                    << "the timer thread wakes too often:" << describe (rates, pid);
            }
        }

        std::cout << "thread activity over " << seconds << " s:" << describe (rates, pid) << "\n";
    }
}
