#include "VelthornEditor.h"

#include "AboutComponent.h"
#include "VelthornProcessor.h"

VelthornEditor::VelthornEditor (VelthornProcessor& p)
    : juce::AudioProcessorEditor (p),
      processor (p),
      panel (p.getEngine(), *this)
{
    addAndMakeVisible (panel);
    setSize (800, 600);
}

VelthornEditor::~VelthornEditor()
{
    // The window shows code from this plugin, which the host may unload
    // once the editor is gone.
    if (auto* window = aboutWindow.getComponent())
        delete window;
}

void VelthornEditor::resized()
{
    panel.setBounds (getLocalBounds());
}

juce::AudioProcessorParameter* VelthornEditor::parameterFor (int engineIndex) const
{
    const auto position = PluginParameterTable::positionForEngineIndex (engineIndex);
    return position >= 0 ? &processor.getHostParameters().at (position) : nullptr;
}

void VelthornEditor::controlGestureBegan (int index)
{
    if (auto* parameter = parameterFor (index))
        parameter->beginChangeGesture();
}

void VelthornEditor::controlChanged (int index, float value)
{
    processor.setFromEditor (index, value);
}

void VelthornEditor::controlGestureEnded (int index)
{
    if (auto* parameter = parameterFor (index))
        parameter->endChangeGesture();
}

void VelthornEditor::fillFileMenu (juce::PopupMenu& menu)
{
    menu.addItem (aboutItem, "About");
}

void VelthornEditor::fileMenuItemChosen (int itemId)
{
    if (itemId == aboutItem)
        showAbout();
}

void VelthornEditor::showAbout()
{
    if (auto* window = aboutWindow.getComponent())
    {
        window->toFront (true);
        return;
    }

    juce::DialogWindow::LaunchOptions options;
    options.content.setOwned (new AboutComponent());
    options.dialogTitle = "About";
    options.dialogBackgroundColour = juce::Colours::white;
    options.componentToCentreAround = this;
    options.escapeKeyTriggersCloseButton = true;
    options.useNativeTitleBar = false;
    options.resizable = false;
    aboutWindow = options.launchAsync();
}
