#include "VelthornApplication.h"

#include "CommandLineOptions.h"
#include "DisplayCheck.h"
#include "SettingsFileCheck.h"
#include "SettingsStore.h"
#include "VelthornVersion.h"

#include <cstdio>

VelthornApplication::~VelthornApplication()
{
    mainWindow = nullptr;
}

void VelthornApplication::initialise (const juce::String&)
{
    runningMark = std::make_unique<RunningInstanceMark>();

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

    // A damaged file the framework's parser cannot read safely: the app
    // starts on the default devices instead, and the file stays as it is
    // for whoever wants to see what happened to it.
    const auto settingsFile = options.getDefaultFile();
    if (const auto problem = SettingsFileCheck::problem (settingsFile); ! problem.empty())
    {
        std::fprintf (stderr, "Velthorn: not reading the settings file %s: %s. The default audio devices are used "
                              "and the file is kept as it is; remove it to have the device choice saved again.\n",
                      settingsFile.getFullPathName().toRawUTF8(), problem.c_str());
        SettingsStore::getInstance()->leaveFileAlone();
    }

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
    runningMark = nullptr;
}

const juce::String VelthornApplication::getApplicationName()
{
    return "Velthorn";
}

const juce::String VelthornApplication::getApplicationVersion()
{
    return velthorn::versionString;
}
