#include "VelthornApplication.h"

#include "CommandLineOptions.h"
#include "DisplayCheck.h"
#include "SettingsStore.h"
#include "VelthornVersion.h"

#include <cstdio>

VelthornApplication::~VelthornApplication()
{
    mainWindow = nullptr;
}

void VelthornApplication::initialise (const juce::String&)
{
    // Nothing else is touched first: no setting is read or written and no
    // audio device opened for a window that cannot be shown.
    if (const auto problem = DisplayCheck::problem(); ! problem.empty())
    {
        std::fprintf (stderr, "Velthorn: %s\n", problem.c_str());
        setApplicationReturnValue (noDisplay);
        quit();
        return;
    }

    // A signal that asks the app to end takes the same way out as File ->
    // Quit; only the request comes from elsewhere.
    quitSignals = std::make_unique<QuitSignalWatcher> ([] { juce::JUCEApplication::quit(); });

    // The store is only configured here; the settings file is opened by the
    // first getUserSettings call, when the main panel reads the device setup.
    juce::PropertiesFile::Options options;
    options.applicationName = "Velthorn";
    options.filenameSuffix = "settings";
    options.folderName = "";
    options.osxLibrarySubFolder = "Preferences";
    SettingsStore::getInstance()->properties.setStorageParameters (options);

    // The process entry has already refused a command line it does not take.
    std::vector<std::string> arguments;
    for (const auto& argument : getCommandLineParameterArray())
        arguments.push_back (argument.toStdString());

    mainWindow = std::make_unique<MainAppWindow> (CommandLineOptions::oversampling (arguments));
    mainWindow->setResizable (false, false);
    mainWindow->setFullScreen (false);
}

void VelthornApplication::shutdown()
{
    // Deleting the window deletes the main panel, which takes the engine off
    // the device manager before anything else goes.
    mainWindow = nullptr;
    quitSignals = nullptr;
}

const juce::String VelthornApplication::getApplicationName()
{
    return "Velthorn";
}

const juce::String VelthornApplication::getApplicationVersion()
{
    return velthorn::versionString;
}
