#include "AppRecording.h"
#include "E2eTest.h"
#include "JackPlayRecord.h"
#include "MainPanelLayout.h"
#include "OfflineRender.h"
#include "Polling.h"
#include "PanelArtwork.h"
#include "SampleComparison.h"
#include "TestSignal.h"

#include "AudioMidiHandler.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
    using e2e::PanelArtwork;
    using Strip = PanelArtwork::Strip;
    namespace panel = e2e::panel;

    // The framework blends pictures in 8-bit steps, a little differently from
    // the composition the tests compute; real differences (another frame,
    // a lamp lit or dark) are tens of levels apart.
    constexpr int colourTolerance = 4;

    // The value a control shows for an engine value: the display timer sets it
    // on a slider with a 0.01 step, which rounds it to the nearest step.
    double shownValue (float engineValue, double maximum)
    {
        const double stepped = 0.01 * std::floor (static_cast<double> (engineValue) / 0.01 + 0.5);
        return std::clamp (stepped, 0.0, maximum);
    }

    int frameShownFor (float engineValue, double maximum, Strip strip)
    {
        return PanelArtwork::frameForValue (shownValue (engineValue, maximum), maximum, PanelArtwork::frameCount (strip));
    }

    // The first frame of a switch picture shows it on, the second off.
    int switchFrame (bool on)
    {
        return on ? 0 : 1;
    }

    struct ControlLook
    {
        const char* name;
        e2e::Rectangle bounds;
        Strip strip;
        int frame;
    };

    // Every image-drawn control in stacking order, showing the engine's
    // start-up values once the display timer has run.
    std::vector<ControlLook> controlsAtStartUp()
    {
        return {
            { "distGainSlider", panel::distGainSlider, Strip::largeKnob, frameShownFor (0.6f, 1.0, Strip::largeKnob) },
            { "ampDrvSlider", panel::ampDrvSlider, Strip::largeKnob, frameShownFor (0.7f, 1.0, Strip::largeKnob) },
            { "delAmSlider", panel::delAmSlider, Strip::largeKnob, frameShownFor (0.5f, 1.0, Strip::largeKnob) },
            { "mastSlider", panel::mastSlider, Strip::largeKnob, frameShownFor (0.6f, 1.0, Strip::largeKnob) },
            { "distFreqSlider", panel::distFreqSlider, Strip::smallKnob, frameShownFor (0.4f, 1.0, Strip::smallKnob) },
            { "ampLoSlider", panel::ampLoSlider, Strip::smallKnob, frameShownFor (0.5f, 1.0, Strip::smallKnob) },
            { "delTmeSlider", panel::delTmeSlider, Strip::smallKnob, frameShownFor (0.5f, 1.0, Strip::smallKnob) },
            { "ampMidSlider", panel::ampMidSlider, Strip::smallKnob, frameShownFor (0.5f, 1.0, Strip::smallKnob) },
            { "ampHiSlider", panel::ampHiSlider, Strip::smallKnob, frameShownFor (0.5f, 1.0, Strip::smallKnob) },
            { "wahFreqSlider", panel::wahFreqSlider, Strip::wahPedal, frameShownFor (1.0f, 1.0, Strip::wahPedal) },
            { "wahResSlider", panel::wahResSlider, Strip::smallKnob, frameShownFor (0.3f, 1.0, Strip::smallKnob) },
            { "wahGainSlider", panel::wahGainSlider, Strip::smallKnob, frameShownFor (0.7f, 1.0, Strip::smallKnob) },
            { "outputLevelSlider", panel::outputLevelSlider, Strip::meter, frameShownFor (0.0f, 1.33, Strip::meter) },
            { "distButton", panel::distButton, Strip::switches, switchFrame (false) },
            { "ampButton", panel::ampButton, Strip::switches, switchFrame (true) },
            { "delButton", panel::delButton, Strip::switches, switchFrame (false) },
            { "mastButton", panel::mastButton, Strip::switches, switchFrame (true) },
            { "wahButton", panel::wahButton, Strip::switches, switchFrame (false) },
        };
    }

    // The panel at its start-up values, or with one control showing another
    // frame instead of its start-up one.
    struct FrameOverride
    {
        e2e::Rectangle bounds;
        int frame;
    };

    PanelArtwork artworkAtStartUp (std::optional<FrameOverride> change = std::nullopt)
    {
        PanelArtwork artwork;

        for (const auto& control : controlsAtStartUp())
        {
            const bool changed = change.has_value() && change->bounds.x == control.bounds.x
                                 && change->bounds.y == control.bounds.y;
            artwork.drawFrame (control.strip, changed ? change->frame : control.frame, control.bounds);
        }

        return artwork;
    }

    PanelArtwork artworkAtStartUpWith (e2e::Rectangle bounds, int frame)
    {
        return artworkAtStartUp (FrameOverride { bounds, frame });
    }

    int mismatches (const PanelArtwork& artwork, const e2e::Screenshot& shot, e2e::Rectangle area)
    {
        return artwork.picture().countPixelsDifferentIn (shot, area, colourTolerance);
    }

    enum class Lamp
    {
        lit,
        dark,
        neither
    };

    const char* describe (Lamp lamp)
    {
        switch (lamp)
        {
            case Lamp::lit:  return "lit";
            case Lamp::dark: return "dark";
            default:         return "neither lit nor dark";
        }
    }

    // Whether the switch's lamp in the screenshot is the lit lamp of the
    // switch picture's on frame, or the dark lamp of its off frame.
    Lamp lampIn (const e2e::Screenshot& shot, e2e::Rectangle switchBounds)
    {
        const auto lamp = panel::lampOf (switchBounds);

        if (mismatches (artworkAtStartUpWith (switchBounds, switchFrame (true)), shot, lamp) == 0)
            return Lamp::lit;

        if (mismatches (artworkAtStartUpWith (switchBounds, switchFrame (false)), shot, lamp) == 0)
            return Lamp::dark;

        return Lamp::neither;
    }

    // Root mean square of a stretch of samples.
    double rms (const std::vector<float>& samples)
    {
        double sum = 0.0;

        for (const auto s : samples)
            sum += static_cast<double> (s) * static_cast<double> (s);

        return samples.empty() ? 0.0 : std::sqrt (sum / static_cast<double> (samples.size()));
    }

    float peakOf (const std::vector<float>& samples, size_t begin, size_t end)
    {
        float peak = 0.0f;

        for (size_t i = begin; i < end && i < samples.size(); ++i)
            peak = std::max (peak, std::abs (samples[i]));

        return peak;
    }

    e2e::StereoBuffer followedBySilence (e2e::StereoBuffer signal, size_t totalFrames)
    {
        signal.left.resize (totalFrames, 0.0f);
        signal.right.resize (totalFrames, 0.0f);
        return signal;
    }

    class MainPanelTest : public e2e::E2eTest
    {
    protected:
        // Test thread: takes pictures of the panel (each saved as the artefact
        // `name`, the last one kept) until `shows` says it shows what is
        // awaited, or the deadline passes; returns the last picture either
        // way, for the test to check and report on.
        e2e::Screenshot waitForPanel (const e2e::AppWindow& window, const std::string& name,
                                      const std::function<bool (const e2e::Screenshot&)>& shows)
        {
            std::optional<e2e::Screenshot> shot;

            e2e::pollUntil (e2e::startupTimeout, [&]
            {
                shot = window.screenshotOfContent (artefact (name));
                return shows (*shot);
            });

            return *shot;
        }

        // Test thread: waits until the display timer has shown the engine's
        // start-up values (the amp lamp lights on its first tick).
        e2e::Screenshot waitForStartUpValues (const e2e::AppWindow& window, const std::string& name)
        {
            return waitForPanel (window, name, [] (const e2e::Screenshot& shot)
            {
                return lampIn (shot, panel::ampButton) == Lamp::lit;
            });
        }
    };

    TEST_F (MainPanelTest, AfterStartUpOnlyTheAmpAndMasterLampsAreLit)
    {
        const auto window = launchAppOnJack();
        const auto shot = waitForStartUpValues (window, "lamps-after-start-up.png");

        struct SwitchCase
        {
            const char* name;
            e2e::Rectangle bounds;
            Lamp expected;
        };

        const SwitchCase switches[] = {
            { "distButton", panel::distButton, Lamp::dark },
            { "ampButton", panel::ampButton, Lamp::lit },
            { "delButton", panel::delButton, Lamp::dark },
            { "mastButton", panel::mastButton, Lamp::lit },
            { "wahButton", panel::wahButton, Lamp::dark },
        };

        for (const auto& s : switches)
            EXPECT_STREQ (describe (lampIn (shot, s.bounds)), describe (s.expected))
                << "the lamp of " << s.name << "; see " << shot.file();
    }

    TEST_F (MainPanelTest, PanelAfterStartUpIsItsPicturesAtTheEngineDefaults)
    {
        const auto window = launchAppOnJack();

        // A clean picture for the README too: the pointer away from the
        // window, so nothing shows a hover look.
        window.xdotool().moveMouse ({ 0, 0 });

        const auto expected = artworkAtStartUp();
        const e2e::Rectangle wholePanel { 0, 0, panel::width, panel::height };

        // The File button and the credit link are drawn by the framework, not
        // from pictures; everything else must be the pictures.
        const auto mismatchesOutsideFrameworkWidgets = [&] (const e2e::Screenshot& shot)
        {
            return mismatches (expected, shot, wholePanel)
                   - mismatches (expected, shot, panel::fileButton)
                   - mismatches (expected, shot, panel::creditLink);
        };

        const auto shot = waitForPanel (window, "panel.png", [&] (const e2e::Screenshot& s)
        {
            return mismatchesOutsideFrameworkWidgets (s) == 0;
        });

        ASSERT_EQ (shot.width(), panel::width);
        ASSERT_EQ (shot.height(), panel::height);

        for (const auto& control : controlsAtStartUp())
            EXPECT_EQ (mismatches (expected, shot, control.bounds), 0)
                << control.name << " does not show frame " << control.frame << " of its picture; see " << shot.file();

        EXPECT_EQ (mismatchesOutsideFrameworkWidgets (shot), 0)
            << "pixels of the panel that are not the background and control pictures; see " << shot.file();

        // The framework does draw the File button's text and the link there.
        EXPECT_GT (mismatches (expected, shot, panel::fileButton), 0) << "no File button drawn; see " << shot.file();
        EXPECT_GT (mismatches (expected, shot, panel::creditLink), 0) << "no credit link drawn; see " << shot.file();
    }

    TEST_F (MainPanelTest, DelaySwitchLightsAndTheOutputEchoesHalfASecondLaterAtHalfTheLevel)
    {
        const auto window = launchAppOnJack();
        const auto before = waitForStartUpValues (window, "delay-before-click.png");
        ASSERT_EQ (lampIn (before, panel::delButton), Lamp::dark) << "see " << before.file();

        window.clickContent (panel::delButton.centre());

        // Sound is played only once the panel shows the switch on: the click
        // reaches the engine at no sample anyone could know, but before that.
        const auto after = waitForPanel (window, "delay-after-click.png", [] (const e2e::Screenshot& shot)
        {
            return lampIn (shot, panel::delButton) == Lamp::lit;
        });
        ASSERT_EQ (lampIn (after, panel::delButton), Lamp::lit) << "see " << after.file();
        EXPECT_EQ (lampIn (after, panel::ampButton), Lamp::lit) << "see " << after.file();

        // A tenth of a second of sound, then silence for three echoes.
        const double rate = e2e::JackServer::sampleRate;
        const auto input = followedBySilence (e2e::makeTestSignal (static_cast<size_t> (rate / 10), rate),
                                              static_cast<size_t> (1.6 * rate));

        // delTme 0.5 at 48000 Hz: the loop is 24000 samples long.
        constexpr size_t loopLength = 24000;
        const auto withDelay = e2e::renderThroughEngine (input, rate, e2e::JackServer::periodFrames,
                                                         [] (AudioMidiHandler& engine) { engine.setParameter (2, 1.0f); });
        const auto dry = e2e::renderThroughEngine (input, rate, e2e::JackServer::periodFrames);
        const auto firstSound = e2e::firstNonZero (withDelay.left);
        ASSERT_TRUE (firstSound.has_value());

        e2e::StereoBuffer answer;
        ASSERT_TRUE (e2e::recordAppAnswer (startJack(), input, *firstSound, answer));

        EXPECT_TRUE (e2e::samplesBitwiseEqual ("Velthorn:out_1 against the engine with the delay on",
                                               withDelay.left, 0, answer.left, 0, input.size()));
        EXPECT_TRUE (e2e::samplesBitwiseEqual ("Velthorn:out_2 against the engine with the delay on",
                                               withDelay.right, 0, answer.right, 0, input.size()));

        // The same said plainly: until the first echo is due the output is the
        // dry chain's, and from then on it is the dry chain's plus half of
        // what came out one loop earlier.
        EXPECT_TRUE (e2e::samplesBitwiseEqual ("Velthorn:out_1 before the first echo against the dry engine",
                                               dry.left, 0, answer.left, 0, loopLength));

        size_t worst = loopLength;
        double worstError = 0.0;

        for (size_t n = loopLength; n < answer.size(); ++n)
        {
            const double predicted = static_cast<double> (dry.left[n]) + 0.5 * static_cast<double> (answer.left[n - loopLength]);
            const double error = std::abs (static_cast<double> (answer.left[n]) - predicted);

            if (error > worstError)
            {
                worstError = error;
                worst = n;
            }
        }

        // Only the output gain's rounding (0 dB is 1.0000002) lies between them.
        EXPECT_LT (worstError, 1.0e-5) << "at sample " << worst << ": " << answer.left[worst] << " instead of "
                                       << dry.left[worst] << " + 0.5 * " << answer.left[worst - loopLength];

        const size_t burst = static_cast<size_t> (rate / 10);
        const auto direct = peakOf (answer.left, 0, burst);
        const auto firstEcho = peakOf (answer.left, loopLength, loopLength + burst);
        const auto secondEcho = peakOf (answer.left, 2 * loopLength, 2 * loopLength + burst);

        EXPECT_NEAR (firstEcho / direct, 0.5, 0.05) << "first echo peak " << firstEcho << " against " << direct;
        EXPECT_NEAR (secondEcho / direct, 0.25, 0.05) << "second echo peak " << secondEcho << " against " << direct;
    }

    TEST_F (MainPanelTest, DraggingTheMasterKnobUpTurnsItAndRaisesTheOutputLevel)
    {
        const auto window = launchAppOnJack();
        const auto before = waitForStartUpValues (window, "master-before-drag.png");

        const int frameBefore = frameShownFor (0.6f, 1.0, Strip::largeKnob);
        ASSERT_EQ (mismatches (artworkAtStartUp(), before, panel::mastSlider), 0)
            << "the master knob does not show frame " << frameBefore << " before the drag; see " << before.file();

        // 50 pixels up on a knob that takes 250 for its whole range: +0.2.
        const auto centre = panel::mastSlider.centre();
        window.dragContent (centre, { centre.x, centre.y - 50 }, 10);

        constexpr int expectedStep = 80;   // 0.6 + 0.2, in the knob's 0.01 steps
        const int frameAfter = frameShownFor (0.8f, 1.0, Strip::largeKnob);
        const auto expectedAfter = artworkAtStartUpWith (panel::mastSlider, frameAfter);

        const auto after = waitForPanel (window, "master-after-drag.png", [&] (const e2e::Screenshot& shot)
        {
            return mismatches (expectedAfter, shot, panel::mastSlider) == 0;
        });

        EXPECT_EQ (mismatches (expectedAfter, after, panel::mastSlider), 0)
            << "the master knob does not show frame " << frameAfter << " after the drag; see " << after.file();
        EXPECT_GT (mismatches (artworkAtStartUp(), after, panel::mastSlider), 20)
            << "the master knob looks as it did before the drag; see " << after.file();

        // What the output now carries: the engine's answer at some master
        // value on the knob's 0.01 grid. The level ratio against the default
        // answer says roughly which; the exact one is found among its
        // neighbours.
        const double rate = e2e::JackServer::sampleRate;
        const auto input = followedBySilence (e2e::makeTestSignal (static_cast<size_t> (rate), rate),
                                              static_cast<size_t> (1.5 * rate));
        const auto atDefault = e2e::renderThroughEngine (input, rate, e2e::JackServer::periodFrames);
        const auto firstSound = e2e::firstNonZero (atDefault.left);
        ASSERT_TRUE (firstSound.has_value());

        e2e::StereoBuffer answer;
        ASSERT_TRUE (e2e::recordAppAnswer (startJack(), input, *firstSound, answer));

        const double levelRatio = rms (answer.left) / rms (atDefault.left);
        EXPECT_GT (levelRatio, 5.0) << "+20 dB should make the output ten times as loud";

        // The output level is 100 * mast - 60 dB, and the default 0.6 is 0 dB.
        const auto estimatedStep = static_cast<int> (std::lround (60.0 + 20.0 * std::log10 (levelRatio)));
        std::optional<int> matchingStep;

        for (int step = std::max (0, estimatedStep - 2); step <= std::min (100, estimatedStep + 2) && ! matchingStep; ++step)
        {
            // The slider's arithmetic: minimum + interval * steps.
            const auto mast = static_cast<float> (0.01 * step);
            const auto candidate = e2e::renderThroughEngine (input, rate, e2e::JackServer::periodFrames,
                                                             [mast] (AudioMidiHandler& engine) { engine.setParameter (15, mast); });

            if (candidate.left == answer.left && candidate.right == answer.right)
                matchingStep = step;
        }

        ASSERT_TRUE (matchingStep.has_value())
            << "the output is not the engine's at any master value near " << estimatedStep / 100.0
            << " (level ratio " << levelRatio << ")";
        EXPECT_EQ (*matchingStep, expectedStep) << "the knob sent master " << *matchingStep / 100.0;
    }

    TEST_F (MainPanelTest, MeterLightsWhileALoudToneSoundsAndGoesDarkInSilence)
    {
        const auto window = launchAppOnJack();
        const auto quiet = waitForStartUpValues (window, "meter-before-tone.png");
        const auto darkMeter = artworkAtStartUp();

        ASSERT_EQ (mismatches (darkMeter, quiet, panel::outputLevelSlider), 0)
            << "the meter is not dark before any sound; see " << quiet.file();

        // A sine of 0.5 on both inputs sums to a full-scale tone; through the
        // default chain it must come out loud enough to light lamps.
        const double rate = e2e::JackServer::sampleRate;
        const auto tone = e2e::makeSineTone (static_cast<size_t> (60 * rate), rate, 440.0, 0.5f);
        const e2e::StereoBuffer toneStart { std::vector<float> (tone.left.begin(), tone.left.begin() + 9600),
                                            std::vector<float> (tone.right.begin(), tone.right.begin() + 9600) };
        const auto rendered = e2e::renderThroughEngine (toneStart, rate, e2e::JackServer::periodFrames);
        const float loudestSample = *std::max_element (rendered.left.begin() + 4800, rendered.left.end());
        const int loudestFrame = frameShownFor (loudestSample, 1.33, Strip::meter);
        ASSERT_GE (loudestFrame, 6) << "the tone peaks at only " << loudestSample << " through the default chain";

        auto io = std::make_unique<e2e::JackPlayRecord> (startJack(), tone, 0);
        io->playInto (e2e::VelthornApp::jackPort ("in_1"), e2e::VelthornApp::jackPort ("in_2"));
        io->makePlayerTheOnlySourceOf (e2e::VelthornApp::jackPort ("in_1"));
        io->makePlayerTheOnlySourceOf (e2e::VelthornApp::jackPort ("in_2"));
        io->startPlaying();

        // The meter shows some frame with lamps lit: which one depends on
        // when the timer read the peak, but never more than the tone's peak.
        const auto meterFrameIn = [&] (const e2e::Screenshot& shot) -> std::optional<int>
        {
            for (int frame = 1; frame < PanelArtwork::frameCount (Strip::meter); ++frame)
                if (mismatches (artworkAtStartUpWith (panel::outputLevelSlider, frame), shot, panel::outputLevelSlider) == 0)
                    return frame;

            return std::nullopt;
        };

        const auto loud = waitForPanel (window, "meter-during-tone.png", [&] (const e2e::Screenshot& shot)
        {
            return meterFrameIn (shot).has_value();
        });
        const auto playedWhenSeen = io->framesPlayed();
        const auto shownFrame = meterFrameIn (loud);

        ASSERT_TRUE (shownFrame.has_value()) << "the meter shows no lit frame of its picture during the tone; see " << loud.file();
        ASSERT_LT (playedWhenSeen, tone.size()) << "the tone had ended before the meter was seen lit";
        EXPECT_LE (*shownFrame, loudestFrame) << "see " << loud.file();

        // Silence: the player goes, and with it the only source of the inputs.
        io.reset();

        const auto silent = waitForPanel (window, "meter-after-tone.png", [&] (const e2e::Screenshot& shot)
        {
            return mismatches (darkMeter, shot, panel::outputLevelSlider) == 0;
        });

        EXPECT_EQ (mismatches (darkMeter, silent, panel::outputLevelSlider), 0)
            << "the meter did not go dark in silence; see " << silent.file();
    }
}
