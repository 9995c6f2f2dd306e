// The plugin's window: the app's panel, reporting to the host.

#include "AboutComponent.h"
#include "PanelControls.h"
#include "PluginTestSupport.h"
#include "VelthornEditor.h"

#include <gtest/gtest.h>

using namespace plugintest;

namespace
{
    using Table = PluginParameterTable;

    // What a host hears from the plugin, in order.
    struct RecordingHost final : juce::AudioProcessorListener
    {
        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override
        {
            calls.add ("change " + juce::String (index) + " " + juce::String (value));
        }
        void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override
        {
            calls.add ("begin " + juce::String (index));
        }
        void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override
        {
            calls.add ("end " + juce::String (index));
        }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}

        juce::StringArray calls;
    };

    using paneltest::control;

    bool holdsAboutPanel (juce::Component& component)
    {
        if (dynamic_cast<AboutComponent*> (&component) != nullptr)
            return true;

        for (auto* child : component.getChildren())
            if (holdsAboutPanel (*child))
                return true;

        return false;
    }

    std::unique_ptr<VelthornEditor> openEditor (VelthornProcessor& processor)
    {
        auto* editor = dynamic_cast<VelthornEditor*> (processor.createEditorIfNeeded());
        EXPECT_NE (editor, nullptr);
        return std::unique_ptr<VelthornEditor> (editor);
    }

    void closeEditor (VelthornProcessor& processor, std::unique_ptr<VelthornEditor>& editor)
    {
        processor.editorBeingDeleted (editor.get());
        editor = nullptr;
    }
}

TEST (PluginEditor, IsTheAppsPanelAt800By600)
{
    auto processor = makeProcessor (2, 2, 48000.0, 256);
    auto editor = openEditor (*processor);

    EXPECT_EQ (editor->getWidth(), 800);
    EXPECT_EQ (editor->getHeight(), 600);
    EXPECT_EQ (editor->getPanel().getParentComponent(), editor.get());
    EXPECT_EQ (editor->getPanel().getBounds(), editor->getLocalBounds());

    closeEditor (*processor, editor);
}

TEST (PluginEditor, AKnobMovedOnThePanelIsAHostGesture)
{
    auto processor = makeProcessor (2, 2, 48000.0, 256);
    auto editor = openEditor (*processor);
    RecordingHost host;
    processor->addListener (&host);

    auto& panel = editor->getPanel();
    auto& knob = control<FilmstripSlider> (panel, "ampDrvSlider");
    const auto position = Table::positionForId ("ampDrv");
    const juce::String p (position);

    panel.sliderDragStarted (&knob);
    knob.setValue (0.25, juce::sendNotificationSync);
    knob.setValue (0.5, juce::sendNotificationSync);
    panel.sliderDragEnded (&knob);

    EXPECT_EQ (host.calls, juce::StringArray ("begin " + p, "change " + p + " 0.25", "change " + p + " 0.5", "end " + p));
    EXPECT_EQ (processor->getEngine().snapshot().controls.ampDrv, 0.5f) << "the engine hears at once";
    EXPECT_EQ (parameterAt (*processor, position).getValue(), 0.5f);

    processor->removeListener (&host);
    closeEditor (*processor, editor);
}

TEST (PluginEditor, ASwitchClickedOnThePanelIsAHostGestureAndTheMasterIsTheBypass)
{
    for (const auto wrapper : { juce::AudioProcessor::wrapperType_VST3, juce::AudioProcessor::wrapperType_LV2 })
    {
        auto processor = makeProcessor (2, 2, 48000.0, 256, wrapper);
        auto editor = openEditor (*processor);
        RecordingHost host;
        processor->addListener (&host);

        auto& panel = editor->getPanel();
        panel.stopDisplayUpdates();   // the test clicks without the message loop
        panel.showEngineValues();     // the controls show the engine from the first tick on

        auto& master = control<ImageToggleButton> (panel, "mastButton");
        ASSERT_TRUE (master.getToggleState());
        master.setToggleState (false, juce::dontSendNotification);
        panel.buttonClicked (&master);

        // Off: a bypass host hears 1 (bypassed), an LV2 host hears 0.
        const bool isBypass = wrapper != juce::AudioProcessor::wrapperType_LV2;
        const juce::String p (Table::masterSwitchPosition);
        EXPECT_EQ (host.calls, juce::StringArray ("begin " + p, "change " + p + (isBypass ? " 1" : " 0"), "end " + p));
        EXPECT_EQ (processor->getEngine().snapshot().controls.mastOn, 0);

        processor->removeListener (&host);
        closeEditor (*processor, editor);
    }
}

TEST (PluginEditor, TheFileMenuOffersOnlyAboutAndItDoesNotBlock)
{
    auto processor = makeProcessor (2, 2, 48000.0, 256);
    auto editor = openEditor (*processor);

    juce::PopupMenu menu;
    editor->fillFileMenu (menu);

    juce::StringArray items;
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        items.add (it.getItem().text);
    EXPECT_EQ (items, juce::StringArray ("About"));

    // Returns at once with the window open: no modal loop inside the host.
    editor->fileMenuItemChosen (VelthornEditor::aboutItem);
    juce::Component::SafePointer<juce::Component> about (editor->getAboutWindow());
    ASSERT_NE (about.getComponent(), nullptr);
    EXPECT_TRUE (about->isOnDesktop());
    EXPECT_TRUE (holdsAboutPanel (*about));

    // Choosing it again does not open a second one.
    editor->fileMenuItemChosen (VelthornEditor::aboutItem);
    EXPECT_EQ (editor->getAboutWindow(), about.getComponent());

    // Closing the editor takes the window with it.
    closeEditor (*processor, editor);
    EXPECT_EQ (about.getComponent(), nullptr);
}

TEST (PluginEditor, OpenedAndClosedRepeatedlyWhileMidiMovesTheControls)
{
    auto processor = makeProcessor (2, 2, 48000.0, 256);
    const auto input = makeInput (2, 256, 9);

    for (int round = 0; round < 20; ++round)
    {
        auto editor = openEditor (*processor);
        ASSERT_NE (editor, nullptr);

        // CC 5 is the master level: the panel shows it at its next tick.
        const int value = (round * 13) % 128;
        run (*processor, input, 2, { 256 }, { { 3, juce::MidiMessage::controllerEvent (1, 5, value) } });
        editor->getPanel().showEngineValues();

        EXPECT_NEAR (control<FilmstripSlider> (editor->getPanel(), "mastSlider").getValue(), value / 127.0, 0.005) << round;
        closeEditor (*processor, editor);
    }
}

TEST (PluginEditor, TwoInstancesEditorsMoveOnlyTheirOwnPlugin)
{
    auto first = makeProcessor (2, 2, 48000.0, 256);
    auto second = makeProcessor (2, 2, 48000.0, 256);
    auto firstEditor = openEditor (*first);
    auto secondEditor = openEditor (*second);

    auto& knob = control<FilmstripSlider> (secondEditor->getPanel(), "delTmeSlider");
    knob.setValue (0.9, juce::sendNotificationSync);

    const auto position = Table::positionForId ("delTme");
    EXPECT_EQ (second->getHostParameters().engineValue (position), 0.9f);
    EXPECT_EQ (first->getHostParameters().engineValue (position), first->getHostParameters().defaultValue (position));
    EXPECT_EQ (first->getEngine().snapshot().controls.delTme, first->getHostParameters().defaultValue (position));

    closeEditor (*first, firstEditor);
    closeEditor (*second, secondEditor);
}
