#include "MainAppWindow.h"

#include "MainComponent.h"
#include "VelthornIcon.h"

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

    // The icon goes to the window system (_NET_WM_ICON), for the task bar and
    // the window switcher; the framework-drawn title bar stays as it is.
    if (auto* peer = getPeer())
        peer->setIcon (juce::ImageCache::getFromMemory (VelthornIcon::velthorn128_png, VelthornIcon::velthorn128_pngSize));

    setVisible (true);
}

MainAppWindow::~MainAppWindow() = default;

void MainAppWindow::closeButtonPressed()
{
    // Only ask the message loop to end; the window is deleted in shutdown().
    juce::JUCEApplication::quit();
}
