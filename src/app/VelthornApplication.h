#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "MainAppWindow.h"
#include "QuitSignalWatcher.h"
#include "RunningInstanceMark.h"

// The application object: configures the settings store, creates the main
// window at start-up and deletes it at shutdown. Message thread only.
class VelthornApplication final : public juce::JUCEApplication
{
public:
    // The exit status when there is no display to show the window on.
    static constexpr int noDisplay = 1;

    VelthornApplication() = default;
    ~VelthornApplication() override;

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;

    const juce::String getApplicationName() override;
    const juce::String getApplicationVersion() override;

private:
    // Up from the start to the end, so an installer never replaces the
    // program under a running app (see RunningInstanceMark).
    std::unique_ptr<RunningInstanceMark> runningMark;
    // Before the window, so SIGTERM and SIGHUP quit cleanly from the start.
    std::unique_ptr<QuitSignalWatcher> quitSignals;
    std::unique_ptr<MainAppWindow> mainWindow;
};
