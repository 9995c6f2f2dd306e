#include "ControlPanel.h"

#include "QuietValueSource.h"
#include "VelthornAssets.h"

namespace
{
    const char* const creditText = "velthorn.audio";
    const char* const creditUrl = "https://velthorn.audio";

    constexpr auto relaxed = std::memory_order_relaxed;

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
        juce::Image composed (juce::Image::RGB, 800, 600, false);
        juce::Graphics g (composed);
        g.fillAll (juce::Colour (0xffffffff));
        g.drawImage (picture, 0, 0, 800, 600, 0, 0, picture.getWidth(), picture.getHeight(), false);
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

    distGainSlider = makeSlider ("distGainSlider", largeKnobImage, 31);
    ampDrvSlider = makeSlider ("ampDrvSlider", largeKnobImage, 31);
    delAmSlider = makeSlider ("delAmSlider", largeKnobImage, 31);
    mastSlider = makeSlider ("mastSlider", largeKnobImage, 31);
    distFreqSlider = makeSlider ("distFreqSlider", smallKnobImage, 31);
    ampLoSlider = makeSlider ("ampLoSlider", smallKnobImage, 31);
    delTmeSlider = makeSlider ("delTmeSlider", smallKnobImage, 31);
    ampMidSlider = makeSlider ("ampMidSlider", smallKnobImage, 31);
    ampHiSlider = makeSlider ("ampHiSlider", smallKnobImage, 31);
    wahFreqSlider = makeSlider ("wahFreqSlider", wahPedalImage, 30);
    wahResSlider = makeSlider ("wahResSlider", smallKnobImage, 31);
    wahGainSlider = makeSlider ("wahGainSlider", smallKnobImage, 31);

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

    distButton = makeSwitch ("distButton");
    ampButton = makeSwitch ("ampButton");
    delButton = makeSwitch ("delButton");
    mastButton = makeSwitch ("mastButton");
    wahButton = makeSwitch ("wahButton");

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

    setSize (800, 600);

    // The controls stand at their minimum and off until this first fires.
    displayTicker.start (50);
}

ControlPanel::~ControlPanel()
{
    displayTicker.stop();

    distGainSlider = nullptr;
    ampDrvSlider = nullptr;
    delAmSlider = nullptr;
    mastSlider = nullptr;
    distFreqSlider = nullptr;
    ampLoSlider = nullptr;
    delTmeSlider = nullptr;
    ampMidSlider = nullptr;
    ampHiSlider = nullptr;
    wahFreqSlider = nullptr;
    wahResSlider = nullptr;
    wahGainSlider = nullptr;
    outputLevelSlider = nullptr;
    distButton = nullptr;
    ampButton = nullptr;
    delButton = nullptr;
    mastButton = nullptr;
    wahButton = nullptr;
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

void ControlPanel::resized()
{
    distGainSlider->setBounds (110, 170, 40, 40);
    ampDrvSlider->setBounds (210, 170, 40, 40);
    delAmSlider->setBounds (310, 170, 40, 40);
    mastSlider->setBounds (410, 170, 40, 40);
    distFreqSlider->setBounds (115, 250, 30, 30);
    ampLoSlider->setBounds (215, 250, 30, 30);
    delTmeSlider->setBounds (315, 250, 30, 30);
    ampMidSlider->setBounds (215, 310, 30, 30);
    ampHiSlider->setBounds (215, 370, 30, 30);
    wahFreqSlider->setBounds (540, 130, 150, 300);
    wahResSlider->setBounds (570, 430, 30, 30);
    wahGainSlider->setBounds (635, 430, 30, 30);
    outputLevelSlider->setBounds (415, 250, 30, 110);
    distButton->setBounds (115, 430, 30, 60);
    ampButton->setBounds (215, 430, 30, 60);
    delButton->setBounds (315, 430, 30, 60);
    mastButton->setBounds (415, 430, 30, 60);
    wahButton->setBounds (515, 150, 30, 60);
    creditLink->setBounds (634, 572, 168, 24);
    fileButton->setBounds (0, 2, 48, 24);
}

int ControlPanel::knobIndex (const juce::Slider* slider) const
{
    // The engine does all scaling: knobs send their plain 0..1 value.
    const std::pair<const FilmstripSlider*, int> targets[] = {
        { distGainSlider.get(), 7 }, { ampDrvSlider.get(), 10 }, { delAmSlider.get(), 1 },
        { mastSlider.get(), 15 },    { distFreqSlider.get(), 8 }, { ampLoSlider.get(), 11 },
        { delTmeSlider.get(), 0 },   { ampMidSlider.get(), 12 },  { ampHiSlider.get(), 13 },
        { wahFreqSlider.get(), 3 },  { wahResSlider.get(), 4 },   { wahGainSlider.get(), 5 },
    };

    for (const auto& [target, index] : targets)
        if (slider == target)
            return index;

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
    const std::pair<const ImageToggleButton*, int> switches[] = {
        { distButton.get(), 9 }, { ampButton.get(), 14 }, { delButton.get(), 2 },
        { mastButton.get(), 17 }, { wahButton.get(), 6 },
    };

    for (const auto& [target, index] : switches)
    {
        if (button == target)
        {
            // A click is a whole gesture of its own.
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

    show (*delTmeSlider, engine.delTme.load (relaxed));
    show (*delAmSlider, engine.delAm.load (relaxed));
    light (*delButton, engine.delOn.load (relaxed));
    show (*wahFreqSlider, engine.wahFreq.load (relaxed));
    show (*wahResSlider, engine.wahRes.load (relaxed));
    show (*wahGainSlider, engine.wahGain.load (relaxed));
    light (*wahButton, engine.wahOn.load (relaxed));
    show (*distGainSlider, engine.distGain.load (relaxed));
    show (*distFreqSlider, engine.distFreq.load (relaxed));
    light (*distButton, engine.distOn.load (relaxed));
    show (*ampDrvSlider, engine.ampDrv.load (relaxed));
    show (*ampLoSlider, engine.ampLo.load (relaxed));
    show (*ampMidSlider, engine.ampMid.load (relaxed));
    show (*ampHiSlider, engine.ampHi.load (relaxed));
    light (*ampButton, engine.ampOn.load (relaxed));
    show (*mastSlider, engine.mast.load (relaxed));
    show (*outputLevelSlider, engine.peakLevel.load (relaxed));
    light (*mastButton, engine.mastOn.load (relaxed));
}
