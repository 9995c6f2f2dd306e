#include "VelthornEditor.h"

#include "VelthornProcessor.h"

VelthornEditor::VelthornEditor (VelthornProcessor& p)
    : juce::AudioProcessorEditor (p),
      generic (p)
{
    addAndMakeVisible (generic);
    setSize (800, 600);
}

VelthornEditor::~VelthornEditor() = default;

void VelthornEditor::resized()
{
    generic.setBounds (getLocalBounds());
}
