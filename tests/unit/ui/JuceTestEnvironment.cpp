#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

namespace
{
    // Widgets, the image cache and dialogs need the framework's message
    // manager; the test thread becomes the message thread for the whole run.
    class JuceTestEnvironment final : public ::testing::Environment
    {
    public:
        void SetUp() override
        {
            // The framework sets X11 up differently for a standalone
            // application: only then does it install its own X error
            // handlers. Without them Xlib's default handler ends the process
            // on the harmless errors a bare X server (no window manager)
            // gives for window-manager properties, as soon as a dialog opens.
            // Velthorn is a standalone application, so the tests run the
            // framework in that mode too. The function is never called.
            juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return nullptr; };

            initialiser = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
        }

        void TearDown() override
        {
            initialiser = nullptr;
            juce::JUCEApplicationBase::createInstance = nullptr;
        }

    private:
        std::unique_ptr<juce::ScopedJuceInitialiser_GUI> initialiser;
    };

    [[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment (new JuceTestEnvironment());
}
