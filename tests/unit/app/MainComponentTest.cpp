#include "MainComponent.h"
#include "PanelControls.h"
#include "SettingsStore.h"
#include "VelthornAssets.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
    using paneltest::knobs;
    using paneltest::switches;

    // The panel reads and writes the per-user settings file, so every run of
    // these tests gets a home folder of its own.
    class MainComponentTest : public ::testing::Test
    {
    protected:
        static void SetUpTestSuite()
        {
            home = std::make_unique<juce::TemporaryFile>();
            home->getFile().createDirectory();
            ::setenv ("HOME", home->getFile().getFullPathName().toRawUTF8(), 1);

            juce::PropertiesFile::Options options;
            options.applicationName = "Velthorn";
            options.filenameSuffix = "settings";
            options.osxLibrarySubFolder = "Preferences";
            SettingsStore::getInstance()->properties.setStorageParameters (options);
        }

        static void TearDownTestSuite()
        {
            SettingsStore::deleteInstance();
            home->getFile().deleteRecursively();
            home = nullptr;
        }

        template <typename Control>
        Control& control (const juce::String& name) { return paneltest::control<Control> (*panel.controlPanel, name); }

        AudioMidiHandler& engine() { return *panel.audioMidiHandler; }

        static std::unique_ptr<juce::TemporaryFile> home;
        MainComponent panel;
    };

    std::unique_ptr<juce::TemporaryFile> MainComponentTest::home;
}

TEST_F (MainComponentTest, ThePanelFillsTheWindowContent)
{
    EXPECT_EQ (panel.getWidth(), 800);
    EXPECT_EQ (panel.getHeight(), 600);
    ASSERT_EQ (panel.getNumChildComponents(), 1);
    EXPECT_EQ (panel.getChildComponent (0), panel.controlPanel.get());
    EXPECT_EQ (panel.controlPanel->getBounds(), juce::Rectangle<int> (0, 0, 800, 600));
    EXPECT_TRUE (panel.controlPanel->isVisible());
}

TEST_F (MainComponentTest, TurningAKnobSetsItsParameterAtOnce)
{
    for (const auto& k : knobs)
    {
        control<FilmstripSlider> (k.name).setValue (0.37, juce::sendNotificationSync);
        EXPECT_EQ (engine().snapshot().controls.*k.member, 0.37f) << k.name;
    }
}

TEST_F (MainComponentTest, ClickingASwitchSendsItsNewState)
{
    for (const auto& s : switches)
    {
        auto& button = control<ImageToggleButton> (s.name);
        const bool before = button.getToggleState();
        // The framework posts the click to the message loop: run it until the click lands.
        button.triggerClick();
        const auto deadline = juce::Time::getMillisecondCounter() + 5000;
        while (button.getToggleState() == before && juce::Time::getMillisecondCounter() < deadline)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
        EXPECT_NE (button.getToggleState(), before) << s.name;
        EXPECT_EQ (engine().snapshot().controls.*s.member, before ? 0 : 1) << s.name;
    }
}

TEST_F (MainComponentTest, TheFileMenuOffersTheDeviceSettingsAboutAndQuit)
{
    juce::PopupMenu menu;
    panel.fillFileMenu (menu);

    juce::StringArray items;
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        items.add (it.getItem().isSeparator ? "-" : it.getItem().text + " " + juce::String (it.getItem().itemID));

    EXPECT_EQ (items, juce::StringArray ("Audio Settings 1", "About 2", "-", "Quit 3"));
}

TEST_F (MainComponentTest, TheMeterTalksToNobody)
{
    auto& meter = control<FilmstripSlider> ("outputLevelSlider");
    const float mastBefore = engine().snapshot().controls.mast;
    meter.setValue (1.0, juce::sendNotificationSync);
    EXPECT_EQ (engine().snapshot().controls.mast, mastBefore);
    EXPECT_EQ (engine().snapshot().peakLevel, 0.0f);
}
