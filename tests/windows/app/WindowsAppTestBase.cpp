#include "WindowsAppTestBase.h"

#include "E2ePaths.h"
#include "FailureReport.h"

#include <stdexcept>

namespace windowstest
{
    WindowsAppTestBase::WindowsAppTestBase()
        : work ("velthorn-wine-")
    {
        std::filesystem::create_directories (logDirectory());
    }

    WindowsAppTestBase::~WindowsAppTestBase()
    {
        // A JACK server that goes first tells its clients; an app killed
        // first leaves the server timing out a client that never answers.
        const auto serverName = jack != nullptr ? jack->name() : std::string();
        jack.reset();
        app.reset();
        prefix.reset();

        if (! serverName.empty())
            e2e::JackServer::removeLeftoversOf (serverName);

        xvfb.reset();
    }

    void WindowsAppTestBase::TearDown()
    {
        if (! HasFailure())
            return;

        e2e::reportFailedTest ({ app != nullptr ? &app->process() : nullptr,
                                  jack != nullptr ? &jack->process() : nullptr,
                                  xvfb != nullptr ? &xvfb->process() : nullptr },
                                logDirectory(), artefact ("logs"));
    }

    e2e::XvfbServer& WindowsAppTestBase::startXvfb()
    {
        if (xvfb == nullptr)
            xvfb = std::make_unique<e2e::XvfbServer> (logDirectory());

        return *xvfb;
    }

    e2e::JackServer& WindowsAppTestBase::startJack()
    {
        if (jack == nullptr)
            jack = std::make_unique<e2e::JackServer> (logDirectory());

        return *jack;
    }

    e2e::JackServer& WindowsAppTestBase::startJackEightTimesSlower()
    {
        // Wine's audio runs on its own clock: threads that move the sound
        // between ALSA and buffers of ten milliseconds every ten
        // milliseconds, and drop what does not fit when a busy machine holds
        // them up. On a dummy clock eight times slower than real time those
        // buffers last eight times as long; what passes through stays what
        // it would be. Everything else of the server slows down with it
        // (wine's start-up opens and closes hundreds of clients, each waiting
        // for the graph's next period), so only a test of the sound pays it.
        constexpr int periodIntervalUs = 8 * 1000000 * e2e::JackServer::periodFrames / e2e::JackServer::sampleRate;

        if (jack != nullptr)
            throw std::logic_error ("the JACK server was started already");

        jack = std::make_unique<e2e::JackServer> (logDirectory(), 0, periodIntervalUs);
        return *jack;
    }

    PrivateWinePrefix& WindowsAppTestBase::winePrefix()
    {
        if (prefix == nullptr)
            prefix = std::make_unique<PrivateWinePrefix> (workFolder() / "wine", logDirectory());

        return *prefix;
    }

    WindowsVelthornApp& WindowsAppTestBase::launchWindowsApp()
    {
        if (app != nullptr)
            throw std::logic_error ("the app was launched already");

        auto& display = startXvfb();
        auto& server = startJack();
        app = std::make_unique<WindowsVelthornApp> (winePrefix(), display.display(), server.name(), logDirectory());
        return *app;
    }

    WindowsVelthornApp& WindowsAppTestBase::windowsApp()
    {
        if (app == nullptr)
            throw std::logic_error ("the app was not launched");

        return *app;
    }

    std::filesystem::path WindowsAppTestBase::workFolder() const
    {
        return work.path();
    }

    std::filesystem::path WindowsAppTestBase::logDirectory() const
    {
        return work.path() / "logs";
    }

    std::filesystem::path WindowsAppTestBase::artefact (const std::string& name) const
    {
        return e2e::artefactPathForCurrentTest (name);
    }
}
