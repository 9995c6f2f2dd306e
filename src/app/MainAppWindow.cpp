#include "MainAppWindow.h"

#include "MainComponent.h"
#include "WindowIcon.h"

MainAppWindow::MainAppWindow (int oversampling)
    : juce::DocumentWindow ("Velthorn",
                            juce::Colours::lightgrey,
                            juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton,
                            true)
{
    // The window takes the panel's 800 x 600 plus the framework's title bar
    // and frame, and is centred at that size.
    setContentOwned (new MainComponent (oversampling), true);
    centreWithSize (getWidth(), getHeight());

    WindowIcon::give (*this);

    setVisible (true);
}

MainAppWindow::~MainAppWindow() = default;

void MainAppWindow::closeButtonPressed()
{
    // Only ask the message loop to end; the window is deleted in shutdown().
    juce::JUCEApplication::quit();
}
