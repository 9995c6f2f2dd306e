#include "ControlPanel.h"
#include "PanelControls.h"
#include "VelthornAssets.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace
{
    using paneltest::knobs;
    using paneltest::switches;

    // Writes down every call, so the tests can see what a host is told.
    struct RecordingHost final : public PanelHost
    {
        void controlGestureBegan (int index) override { calls.add ("begin " + juce::String (index)); }
        void controlChanged (int index, float value) override
        {
            calls.add ("change " + juce::String (index) + " " + juce::String (value));
        }
        void controlGestureEnded (int index) override { calls.add ("end " + juce::String (index)); }
        void fillFileMenu (juce::PopupMenu& menu) override { menu.addItem (7, "Only item"); }
        void fileMenuItemChosen (int itemId) override { calls.add ("menu " + juce::String (itemId)); }

        juce::StringArray calls;
    };

    // Runs the message loop until the condition holds, for five seconds at
    // most, and says whether it came to hold.
    bool runLoopUntil (const std::function<bool()>& condition)
    {
        const auto deadline = juce::Time::getMillisecondCounter() + 5000;
        while (! condition() && juce::Time::getMillisecondCounter() < deadline)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
        return condition();
    }

    class ControlPanelTest : public ::testing::Test
    {
    protected:

        template <typename Control>
        Control& control (const juce::String& name) { return paneltest::control<Control> (panel, name); }

        AudioMidiHandler& engine() { return audioMidiHandler; }

        // Makes the engine's peak `peak` (0 for anything below): one sample
        // through it with the master off, which passes the input untouched.
        void showPeak (float peak)
        {
            engine().setParameter (17, 0.0f);
            engine().prepare (48000.0, 1);
            const float* in[] = { &peak };
            float out = 0.0f;
            float* outs[] = { &out };
            engine().process (in, 1, outs, 1, 1);
        }

        AudioMidiHandler audioMidiHandler;
        RecordingHost host;
        ControlPanel panel { audioMidiHandler, host };
    };

    struct Layout
    {
        const char* name;
        int x, y, width, height;
    };

    // Creation order, which is also the stacking order.
    const Layout layout[] = {
        { "distGainSlider", 110, 170, 40, 40 },    { "ampDrvSlider", 210, 170, 40, 40 },
        { "delAmSlider", 310, 170, 40, 40 },       { "mastSlider", 410, 170, 40, 40 },
        { "distFreqSlider", 115, 250, 30, 30 },    { "ampLoSlider", 215, 250, 30, 30 },
        { "delTmeSlider", 315, 250, 30, 30 },      { "ampMidSlider", 215, 310, 30, 30 },
        { "ampHiSlider", 215, 370, 30, 30 },       { "wahFreqSlider", 540, 130, 150, 300 },
        { "wahResSlider", 570, 430, 30, 30 },      { "wahGainSlider", 635, 430, 30, 30 },
        { "outputLevelSlider", 415, 250, 30, 110 }, { "distButton", 115, 430, 30, 60 },
        { "ampButton", 215, 430, 30, 60 },         { "delButton", 315, 430, 30, 60 },
        { "mastButton", 415, 430, 30, 60 },        { "wahButton", 515, 150, 30, 60 },
        { "velthorn.audio", 634, 572, 168, 24 },   { "fileButton", 0, 2, 48, 24 },
    };
}

TEST_F (ControlPanelTest, ControlsStandInTheirPlacesAndStackingOrder)
{
    EXPECT_EQ (panel.getWidth(), 800);
    EXPECT_EQ (panel.getHeight(), 600);
    ASSERT_EQ (panel.getNumChildComponents(), 20);

    for (int i = 0; i < 20; ++i)
    {
        const auto& expected = layout[i];
        auto* child = panel.getChildComponent (i);
        EXPECT_EQ (child->getName(), juce::String (expected.name)) << "child " << i;
        EXPECT_EQ (child->getBounds(), juce::Rectangle<int> (expected.x, expected.y, expected.width, expected.height))
            << expected.name;
        EXPECT_TRUE (child->isVisible()) << expected.name;
    }
}

TEST_F (ControlPanelTest, KnobsHaveTheirRangesStylesAndStrips)
{
    for (const auto& k : knobs)
    {
        auto& knob = control<FilmstripSlider> (k.name);
        EXPECT_EQ (knob.getMinimum(), 0.0) << k.name;
        EXPECT_EQ (knob.getMaximum(), 1.0) << k.name;
        EXPECT_EQ (knob.getInterval(), 0.01) << k.name;
        EXPECT_EQ (knob.getSliderStyle(), juce::Slider::RotaryVerticalDrag) << k.name;
        EXPECT_EQ (knob.getTextBoxPosition(), juce::Slider::NoTextBox) << k.name;
        EXPECT_FALSE (knob.horizontalStrip) << k.name;
        EXPECT_EQ (knob.frameCount, juce::String (k.name) == "wahFreqSlider" ? 30 : 31) << k.name;
        EXPECT_EQ (knob.frameWidth, knob.getWidth()) << k.name << " draws its frames 1:1";
        EXPECT_EQ (knob.frameHeight, knob.getHeight()) << k.name << " draws its frames 1:1";
        EXPECT_EQ (knob.findColour (juce::Slider::rotarySliderFillColourId), juce::Colour (0x7f000000)) << k.name;
    }

    auto& meter = control<FilmstripSlider> ("outputLevelSlider");
    EXPECT_EQ (meter.getMaximum(), 1.33);
    EXPECT_EQ (meter.getInterval(), 0.01);
    EXPECT_EQ (meter.getSliderStyle(), juce::Slider::RotaryHorizontalDrag);
    EXPECT_EQ (meter.getMouseDragSensitivity(), 10000000);
    EXPECT_EQ (meter.frameCount, 31);
    EXPECT_EQ (meter.frameHeight, 110);

    auto& file = control<juce::TextButton> ("fileButton");
    EXPECT_EQ (file.getButtonText(), "File");
    EXPECT_EQ (file.findColour (juce::TextButton::buttonColourId), juce::Colour (0x00bbbbff));
    EXPECT_EQ (file.findColour (juce::TextButton::textColourOffId), juce::Colour (0xccaeaeae));

    for (const auto& s : switches)
        EXPECT_EQ (control<ImageToggleButton> (s.name).getButtonText(), juce::String()) << s.name;
}

TEST_F (ControlPanelTest, ControlsShowMinimumAndOffUntilTheFirstTick)
{
    for (const auto& k : knobs)
        EXPECT_EQ (control<FilmstripSlider> (k.name).getValue(), 0.0) << k.name;
    for (const auto& s : switches)
        EXPECT_FALSE (control<ImageToggleButton> (s.name).getToggleState()) << s.name;

    panel.showEngineValues();

    EXPECT_EQ (control<FilmstripSlider> ("mastSlider").getValue(), 0.6);
    EXPECT_EQ (control<FilmstripSlider> ("wahFreqSlider").getValue(), 1.0);
    EXPECT_TRUE (control<ImageToggleButton> ("ampButton").getToggleState());
    EXPECT_TRUE (control<ImageToggleButton> ("mastButton").getToggleState());
    EXPECT_FALSE (control<ImageToggleButton> ("delButton").getToggleState());
}

TEST_F (ControlPanelTest, TurningAKnobTellsTheHostItsIndexAndValueAtOnce)
{
    for (const auto& k : knobs)
    {
        host.calls.clear();
        control<FilmstripSlider> (k.name).setValue (0.37, juce::sendNotificationSync);
        EXPECT_EQ (host.calls, juce::StringArray ("change " + juce::String (k.index) + " 0.37")) << k.name;
        EXPECT_NE (engine().snapshot().controls.*k.member, 0.37f) << k.name << ": the panel never writes the engine itself";
    }
}

TEST_F (ControlPanelTest, ClickingASwitchIsAGestureWithItsNewState)
{
    const std::pair<const char*, int> indices[] = {
        { "distButton", 9 }, { "ampButton", 14 }, { "delButton", 2 }, { "mastButton", 17 }, { "wahButton", 6 },
    };

    // The host here does not pass the click on to the engine, so the display
    // timer would set every switch back to the engine's state.
    panel.stopDisplayUpdates();

    for (const auto& [name, index] : indices)
    {
        auto& button = control<ImageToggleButton> (name);
        host.calls.clear();
        const bool before = button.getToggleState();
        // The framework posts the click to the message loop: run it until the click lands.
        button.triggerClick();
        EXPECT_TRUE (runLoopUntil ([&] { return button.getToggleState() != before; })) << name;

        const juce::String i (index);
        EXPECT_EQ (host.calls, juce::StringArray ("begin " + i, "change " + i + (before ? " 0" : " 1"), "end " + i))
            << name;
    }
}

TEST_F (ControlPanelTest, TheTimerMirrorsTheEngineWithoutTalkingBack)
{
    // A MIDI value of 64/127 shows as 0.50 while the engine keeps its own value.
    engine().handleMidi (juce::MidiMessage::controllerEvent (1, 5, 64));
    engine().setParameter (6, 1.0f);    // wahOn
    engine().setParameter (14, 0.0f);   // ampOn
    panel.showEngineValues();

    EXPECT_EQ (control<FilmstripSlider> ("mastSlider").getValue(), 0.5);
    EXPECT_EQ (engine().snapshot().controls.mast, 0.503937f);
    EXPECT_EQ (engine().snapshot().controls.mast, static_cast<float> (64 / 127.0));
    EXPECT_TRUE (control<ImageToggleButton> ("wahButton").getToggleState());
    EXPECT_EQ (engine().snapshot().controls.wahOn, 1) << "no click was sent back";
    EXPECT_FALSE (control<ImageToggleButton> ("ampButton").getToggleState());

    for (const auto& k : knobs)
    {
        engine().setParameter (k.index, 0.123f);
        panel.showEngineValues();
        EXPECT_EQ (control<FilmstripSlider> (k.name).getValue(), 0.12) << k.name;
        EXPECT_EQ (engine().snapshot().controls.*k.member, 0.123f) << k.name << ": the timer must not call the listener";
    }
}

TEST_F (ControlPanelTest, AHotPeakShowsTheMetersLastFrame)
{
    const juce::Image strip = juce::ImageFileFormat::loadFrom (VelthornAssets::meterStrip_png,
                                                               static_cast<size_t> (VelthornAssets::meterStrip_pngSize));
    ASSERT_TRUE (strip.isValid());

    auto& meter = control<FilmstripSlider> ("outputLevelSlider");
    auto drawnFrameMatches = [&] (int frame)
    {
        juce::Image drawn (juce::Image::ARGB, 30, 110, true);
        {
            juce::Graphics g (drawn);
            meter.paint (g);
        }
        for (int y = 0; y < 110; ++y)
            for (int x = 0; x < 30; ++x)
                if (drawn.getPixelAt (x, y) != strip.getPixelAt (x, frame * 110 + y))
                    return false;
        return true;
    };

    struct Case { float peak; int frame; };
    for (const auto& c : { Case { 2.0f, 30 }, Case { 1.33f, 30 }, Case { 0.0f, 0 }, Case { -0.5f, 0 }, Case { 0.665f, 15 } })
    {
        showPeak (c.peak);
        panel.showEngineValues();
        EXPECT_TRUE (drawnFrameMatches (c.frame)) << "peak " << c.peak << " should show frame " << c.frame;
    }
    EXPECT_FALSE (drawnFrameMatches (0)) << "frames must differ for this test to mean anything";
}

TEST_F (ControlPanelTest, AMovingMeterPostsNoMessage)
{
    // The framework's value source would queue a message for every new
    // level, twenty a second, only for the meter to hear its own value back.
    // A listener on the meter's value hears of such a message; one posted
    // after the changes arrives after any of them.
    struct Counter final : public juce::Value::Listener
    {
        void valueChanged (juce::Value&) override { ++heard; }
        int heard = 0;
    } counter;

    auto& meter = control<FilmstripSlider> ("outputLevelSlider");
    juce::Value watched;
    watched.referTo (meter.getValueObject());
    watched.addListener (&counter);

    for (const float peak : { 0.25f, 0.5f, 1.0f })
    {
        showPeak (peak);
        panel.showEngineValues();
        EXPECT_EQ (meter.getValue(), static_cast<double> (peak));
    }

    bool lastMessageArrived = false;
    juce::MessageManager::callAsync ([&] { lastMessageArrived = true; });
    ASSERT_TRUE (runLoopUntil ([&] { return lastMessageArrived; }));
    EXPECT_EQ (counter.heard, 0);
    watched.removeListener (&counter);
}

TEST_F (ControlPanelTest, TheMeterTalksToNobody)
{
    auto& meter = control<FilmstripSlider> ("outputLevelSlider");
    meter.setValue (1.0, juce::sendNotificationSync);
    EXPECT_TRUE (host.calls.isEmpty()) << host.calls.joinIntoString (", ");
    EXPECT_EQ (engine().snapshot().peakLevel, 0.0f);
}

// Last in the file: the synthesised mouse events below go to the knob
// directly, bypassing the framework's desktop-wide mouse state, and a switch
// clicked after them in the same process no longer toggles.
TEST_F (ControlPanelTest, DraggingAKnobIsOneGesture)
{
    // A real drag under a real mouse source: down, two moves, up.
    panel.setBounds (0, 0, 800, 600);
    auto& knob = control<FilmstripSlider> ("mastSlider");
    const auto centre = knob.getLocalBounds().getCentre().toFloat();
    auto mouse = juce::Desktop::getInstance().getMainMouseSource();
    const auto now = juce::Time::getCurrentTime();
    auto event = [&] (juce::Point<float> at)
    {
        return juce::MouseEvent (mouse, at, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), 0.0f,
                                 0.0f, 0.0f, 0.0f, 0.0f, &knob, &knob, now, centre, now, 1, false);
    };

    knob.mouseDown (event (centre));
    knob.mouseDrag (event (centre.translated (0.0f, -20.0f)));
    knob.mouseDrag (event (centre.translated (0.0f, -40.0f)));
    knob.mouseUp (event (centre.translated (0.0f, -40.0f)));

    ASSERT_GE (host.calls.size(), 3);
    EXPECT_EQ (host.calls[0], "begin 15");
    EXPECT_EQ (host.calls[host.calls.size() - 1], "end 15");
    for (int i = 1; i < host.calls.size() - 1; ++i)
        EXPECT_TRUE (host.calls[i].startsWith ("change 15 ")) << host.calls[i];
}

TEST_F (ControlPanelTest, TheFileMenuLeavesTheMessageLoopRunningAndTellsTheHostTheChoice)
{
    // A menu with a modal loop of its own would hold the click's dispatch
    // (and, in a plugin, the host's window) until it closed. Should it, this
    // closes it after a while, so the test fails instead of hanging.
    struct MenuCloser final : juce::Timer
    {
        MenuCloser() { startTimer (10000); }
        ~MenuCloser() override { stopTimer(); }
        void timerCallback() override
        {
            stopTimer();
            juce::PopupMenu::dismissAllActiveMenus();
        }
    } closer;

    panel.stopDisplayUpdates();
    // The click as the button delivers it. A menu with a loop of its own
    // returns from here only once it has closed; otherwise it is open now,
    // before the menu's own timers (which close a menu of an application
    // that has no focus, as on a bare X server) can run.
    panel.buttonClicked (&control<juce::TextButton> ("fileButton"));
    auto* const menu = juce::Component::getCurrentlyModalComponent();
    ASSERT_NE (menu, nullptr) << "the File menu is not open once the click has been handled";

    // The keys a player would press: down to the first item, then return.
    menu->keyPressed (juce::KeyPress (juce::KeyPress::downKey));
    menu->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));

    EXPECT_TRUE (runLoopUntil ([&] { return ! host.calls.isEmpty(); }));
    EXPECT_EQ (host.calls, juce::StringArray ("menu 7"));
    EXPECT_EQ (juce::Component::getCurrentlyModalComponent(), nullptr);
}
