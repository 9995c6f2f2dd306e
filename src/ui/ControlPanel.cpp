#include "ControlPanel.h"

#include "QuietValueSource.h"
#include "VelthornAssets.h"

#include <algorithm>

namespace
{
    const char* const creditText = "velthorn.audio";
    const char* const creditUrl = "https://velthorn.audio";

    namespace controls = velthorn::controls;

    juce::Rectangle<int> toRectangle (const controls::Rect& r)
    {
        return { r.x, r.y, r.width, r.height };
    }

    // The table positions of the knobs (or the switches) in their panel order.
    std::vector<std::size_t> positionsInPanelOrder (bool switches)
    {
        std::vector<std::size_t> positions;

        for (std::size_t i = 0; i < controls::numControls; ++i)
            if (controls::table[i].isSwitch() == switches)
                positions.push_back (i);

        std::sort (positions.begin(), positions.end(), [] (std::size_t a, std::size_t b)
        {
            return controls::table[a].panelOrder < controls::table[b].panelOrder;
        });

        return positions;
    }

    juce::Image decode (const char* data, int size)
    {
        return juce::ImageFileFormat::loadFrom (data, static_cast<size_t> (size));
    }

    // What lies behind the controls never changes: white, with the background
    // picture over it. Composed once into an opaque image, a repainted area
    // (the meter, twenty times a second) is a copy of pixels rather than the
    // picture blended anew, and nothing behind the panel is painted at all.
    // A picture that failed to decode leaves the panel white.
    juce::Image composeBackground (const juce::Image& picture)
    {
        juce::Image composed (juce::Image::RGB, controls::panelWidth, controls::panelHeight, false);
        juce::Graphics g (composed);
        g.fillAll (juce::Colour (0xffffffff));
        g.drawImage (picture, 0, 0, controls::panelWidth, controls::panelHeight,
                     0, 0, picture.getWidth(), picture.getHeight(), false);
        return composed;
    }
}

ControlPanel::ControlPanel (const AudioMidiHandler& engineToShow, PanelHost& hostToTell)
    : engine (engineToShow), host (hostToTell)
{
    largeKnobImage = decode (VelthornAssets::largeKnobStrip_png, VelthornAssets::largeKnobStrip_pngSize);
    smallKnobImage = decode (VelthornAssets::smallKnobStrip_png, VelthornAssets::smallKnobStrip_pngSize);
    wahPedalImage = decode (VelthornAssets::wahPedalStrip_png, VelthornAssets::wahPedalStrip_pngSize);
    switchImage = decode (VelthornAssets::switchStrip_png, VelthornAssets::switchStrip_pngSize);
    meterImage = decode (VelthornAssets::meterStrip_png, VelthornAssets::meterStrip_pngSize);
    backgroundImage = composeBackground (decode (VelthornAssets::backgroundPicture_png, VelthornAssets::backgroundPicture_pngSize));
    setOpaque (true);

    auto makeSlider = [this] (const char* name, const juce::Image& strip, int frames)
    {
        auto slider = std::make_unique<FilmstripSlider> (name);
        addAndMakeVisible (*slider);
        slider->setRange (0.0, 1.0, 0.01);
        slider->setSliderStyle (juce::Slider::RotaryVerticalDrag);
        slider->setStripImage (strip, false, frames);
        slider->setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 20);
        // Shows only if a picture failed to decode and the framework draws.
        slider->setColour (juce::Slider::rotarySliderFillColourId, juce::Colour (0x7f000000));
        slider->addListener (this);
        return slider;
    };

    knobPositions = positionsInPanelOrder (false);

    for (const auto position : knobPositions)
    {
        const auto& control = controls::table[position];
        // The pedal's strip has one frame fewer than the knobs'.
        const int frames = control.picture == controls::Picture::wahPedal ? 30 : 31;
        knobs.push_back (makeSlider (control.componentName, stripFor (control.picture), frames));
    }

    // The meter is display only: it goes up to 1.33 so a hot signal shows its
    // last frame, and ten million pixels of drag for its range keep the mouse
    // from moving it. It has no listener. Its value changes with nearly every
    // display update, so it is kept where a change posts no message.
    outputLevelSlider = std::make_unique<FilmstripSlider> ("outputLevelSlider");
    outputLevelSlider->getValueObject().referTo (
        juce::Value (new QuietValueSource (outputLevelSlider->getValueObject().getValue())));
    addAndMakeVisible (*outputLevelSlider);
    outputLevelSlider->setRange (0.0, 1.33, 0.01);
    outputLevelSlider->setSliderStyle (juce::Slider::RotaryHorizontalDrag);
    outputLevelSlider->setMouseDragSensitivity (10000000);
    outputLevelSlider->setStripImage (meterImage, false, 31);
    outputLevelSlider->setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 20);
    outputLevelSlider->setColour (juce::Slider::rotarySliderFillColourId, juce::Colour (0x7f000000));

    auto makeSwitch = [this] (const char* name)
    {
        auto button = std::make_unique<ImageToggleButton> (name);
        addAndMakeVisible (*button);
        button->setButtonText ({});   // a framework button would show its name
        button->setStripImage (switchImage, false);
        button->addListener (this);
        return button;
    };

    switchPositions = positionsInPanelOrder (true);

    for (const auto position : switchPositions)
        switches.push_back (makeSwitch (controls::table[position].componentName));

    // The framework's hyperlink opens the address itself; the panel does not listen.
    creditLink = std::make_unique<juce::HyperlinkButton> (creditText, juce::URL (creditUrl));
    addAndMakeVisible (*creditLink);
    creditLink->setTooltip (creditUrl);
    creditLink->setButtonText (creditText);
    creditLink->setColour (juce::HyperlinkButton::textColourId, juce::Colour (0xccaeaeae));

    fileButton = std::make_unique<juce::TextButton> ("fileButton", juce::String());
    addAndMakeVisible (*fileButton);
    fileButton->setButtonText ("File");
    fileButton->addListener (this);
    fileButton->setColour (juce::TextButton::buttonColourId, juce::Colour (0x00bbbbff));
    fileButton->setColour (juce::TextButton::buttonOnColourId, juce::Colour (0x004444ff));
    fileButton->setColour (juce::TextButton::textColourOnId, juce::Colour (0xccaeaeae));
    fileButton->setColour (juce::TextButton::textColourOffId, juce::Colour (0xccaeaeae));

    setSize (controls::panelWidth, controls::panelHeight);

    // The controls stand at their minimum and off until this first fires.
    displayTicker.start (50);
}

ControlPanel::~ControlPanel()
{
    displayTicker.stop();

    for (auto& knob : knobs)
        knob = nullptr;
    outputLevelSlider = nullptr;
    for (auto& button : switches)
        button = nullptr;
    creditLink = nullptr;
    fileButton = nullptr;

    largeKnobImage = {};
    smallKnobImage = {};
    wahPedalImage = {};
    switchImage = {};
    backgroundImage = {};
    meterImage = {};
}

void ControlPanel::paint (juce::Graphics& g)
{
    g.drawImageAt (backgroundImage, 0, 0);
}

const juce::Image& ControlPanel::stripFor (controls::Picture picture) const
{
    switch (picture)
    {
        case controls::Picture::largeKnob:  return largeKnobImage;
        case controls::Picture::wahPedal:   return wahPedalImage;
        case controls::Picture::footSwitch: return switchImage;
        case controls::Picture::smallKnob:  break;
    }

    return smallKnobImage;
}

void ControlPanel::resized()
{
    for (size_t i = 0; i < knobs.size(); ++i)
        knobs[i]->setBounds (toRectangle (controls::table[knobPositions[i]].bounds));

    outputLevelSlider->setBounds (toRectangle (controls::meterBounds));

    for (size_t i = 0; i < switches.size(); ++i)
        switches[i]->setBounds (toRectangle (controls::table[switchPositions[i]].bounds));

    creditLink->setBounds (toRectangle (controls::creditLinkBounds));
    fileButton->setBounds (toRectangle (controls::fileButtonBounds));
}

int ControlPanel::knobIndex (const juce::Slider* slider) const
{
    // The engine does all scaling: knobs send their plain 0..1 value.
    for (size_t i = 0; i < knobs.size(); ++i)
        if (slider == knobs[i].get())
            return controls::table[knobPositions[i]].engineIndex;

    return -1;
}

void ControlPanel::sliderValueChanged (juce::Slider* slider)
{
    if (const int index = knobIndex (slider); index >= 0)
        host.controlChanged (index, static_cast<float> (slider->getValue()));
}

void ControlPanel::sliderDragStarted (juce::Slider* slider)
{
    if (const int index = knobIndex (slider); index >= 0)
        host.controlGestureBegan (index);
}

void ControlPanel::sliderDragEnded (juce::Slider* slider)
{
    if (const int index = knobIndex (slider); index >= 0)
        host.controlGestureEnded (index);
}

void ControlPanel::buttonClicked (juce::Button* button)
{
    // The click has already flipped the switch's state.
    for (size_t i = 0; i < switches.size(); ++i)
    {
        if (button == switches[i].get())
        {
            // A click is a whole gesture of its own.
            const int index = controls::table[switchPositions[i]].engineIndex;
            host.controlGestureBegan (index);
            host.controlChanged (index, button->getToggleState() ? 1.0f : 0.0f);
            host.controlGestureEnded (index);
            return;
        }
    }

    if (button == fileButton.get())
        showFileMenu();
}

void ControlPanel::showFileMenu()
{
    juce::PopupMenu menu;
    host.fillFileMenu (menu);

    // Not a modal loop of its own: inside a plugin host that would stop the
    // host's window while the menu is open. The choice arrives once the menu
    // has closed, unless the panel went first.
    menu.showMenuAsync (juce::PopupMenu::Options(),
                        [panel = juce::Component::SafePointer<ControlPanel> (this)] (int chosen)
                        {
                            if (panel != nullptr && chosen != 0)
                                panel->host.fileMenuItemChosen (chosen);
                        });
}

void ControlPanel::stopDisplayUpdates()
{
    displayTicker.stop();
}

void ControlPanel::showEngineValues()
{
    // Without notification: nothing flows back to the engine, so a MIDI value
    // such as 64/127 stays exact in the engine while its knob shows 0.50.
    auto show = [] (juce::Slider& slider, float value)
    {
        slider.setValue (static_cast<double> (value), juce::dontSendNotification);
    };
    auto light = [] (juce::Button& button, int32_t value)
    {
        button.setToggleState (value != 0, juce::dontSendNotification);
    };

    const auto shown = engine.snapshot();

    for (size_t i = 0; i < knobs.size(); ++i)
        show (*knobs[i], shown.controls.*controls::table[knobPositions[i]].level);

    show (*outputLevelSlider, shown.peakLevel);

    for (size_t i = 0; i < switches.size(); ++i)
        light (*switches[i], shown.controls.*controls::table[switchPositions[i]].onOff);
}
