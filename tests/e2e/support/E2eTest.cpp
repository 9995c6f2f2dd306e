#include "E2eTest.h"

#include "E2ePaths.h"
#include "FailureReport.h"

#include <exception>
#include <fstream>
#include <iostream>
#include <stdexcept>

namespace e2e
{
    E2eTest::E2eTest()
        : work ("velthorn-e2e-")
    {
        std::filesystem::create_directories (home());
        std::filesystem::create_directories (logDirectory());
    }

    E2eTest::~E2eTest()
    {
        {
            // The app may leave JACK as it dies; keep that clear of another
            // test's app start (see JackClientNamesLock).
            std::unique_ptr<JackClientNamesLock> lock;

            try
            {
                if (jack != nullptr && app != nullptr)
                    lock = std::make_unique<JackClientNamesLock>();
            }
            catch (const std::exception& e)
            {
                // Stopping must go on regardless; at worst another test's app
                // start fails and says so.
                std::cerr << "stopping without the JACK client names lock: " << e.what() << "\n";
            }

            const auto serverName = jack != nullptr ? jack->name() : std::string();
            jack.reset();
            app.reset();

            if (! serverName.empty())
                JackServer::removeLeftoversOf (serverName);
        }

        xvfb.reset();
    }

    void E2eTest::TearDown()
    {
        if (! HasFailure())
            return;

        reportFailedTest ({ app != nullptr ? &app->process() : nullptr,
                             jack != nullptr ? &jack->process() : nullptr,
                             xvfb != nullptr ? &xvfb->process() : nullptr },
                           logDirectory(), artefact ("logs"));
    }

    XvfbServer& E2eTest::startXvfb()
    {
        if (xvfb == nullptr)
            xvfb = std::make_unique<XvfbServer> (logDirectory());

        return *xvfb;
    }

    JackServer& E2eTest::startJack()
    {
        if (jack == nullptr && app != nullptr)
            jack = std::make_unique<JackServer> (logDirectory(), appJackServerName);
        else if (jack == nullptr)
            jack = std::make_unique<JackServer> (logDirectory());

        return *jack;
    }

    VelthornApp& E2eTest::launchApp (const std::filesystem::path& binary, const std::vector<std::string>& launcher,
                                     const std::vector<std::string>& arguments)
    {
        auto& x = startXvfb();
        appJackServerName = jack != nullptr ? jack->name() : JackServer::uniqueServerName();
        app = std::make_unique<VelthornApp> (home(), x.display(), appJackServerName, logDirectory(), binary, launcher,
                                             arguments, alsaConfiguration);
        return *app;
    }

    AppWindow E2eTest::launchAppOnJack (const std::vector<std::string>& launcher)
    {
        auto& server = startJack();
        auto& started = launchApp (velthornBinary(), launcher);

        if (const auto opened = started.waitForJackDevice (server); ! opened)
            throw std::runtime_error (opened.message());

        return started.waitForMainWindow();
    }

    VelthornApp& E2eTest::launchedApp()
    {
        if (app == nullptr)
            throw std::logic_error ("the test has not launched the app");

        return *app;
    }

    void E2eTest::writeSettingsFile (const std::string& content)
    {
        const auto file = VelthornApp::settingsFileIn (home());
        std::filesystem::create_directories (file.parent_path());
        std::ofstream (file, std::ios::binary) << content;
    }

    std::filesystem::path E2eTest::home() const
    {
        return work.path() / "home";
    }

    std::filesystem::path E2eTest::logDirectory() const
    {
        return work.path() / "logs";
    }

    std::filesystem::path E2eTest::artefact (const std::string& name) const
    {
        return artefactPathForCurrentTest (name);
    }
}
