#include "AboutComponent.h"

#include "VelthornAssets.h"
#include "VelthornVersion.h"

#include <limits>

namespace
{
    std::unique_ptr<juce::Label> makeCaption (juce::Component& parent, const char* name, const char* text)
    {
        auto label = std::make_unique<juce::Label> (name, text);
        parent.addAndMakeVisible (*label);

        label->setFont (juce::Font ("Candara", 17.0f, juce::Font::plain));
        label->setJustificationType (juce::Justification::centredLeft);
        label->setEditable (false, false, false);
        label->setColour (juce::Label::textColourId, juce::Colour (0xffb9b9b9));

        // What an editor would use if the label were ever edited.
        label->setColour (juce::TextEditor::textColourId, juce::Colour (0xff000000));
        label->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));

        return label;
    }

    juce::Image decodePicture (const void* pictureData, size_t pictureSize)
    {
        // No bytes is no picture, even at an address the cache already knows.
        // The cache takes an int byte count; a size it cannot express would
        // be truncated into a wrong length, so such data counts as undecodable.
        if (pictureData == nullptr || pictureSize == 0
             || pictureSize > (size_t) std::numeric_limits<int>::max())
            return {};

        // The cache keys the picture by its address, so opening the about box
        // again reuses the decoded picture while the cache still holds it.
        return juce::ImageCache::getFromMemory (pictureData, (int) pictureSize);
    }
}

AboutComponent::AboutComponent()
    : AboutComponent (VelthornAssets::aboutPicture_png, (size_t) VelthornAssets::aboutPicture_pngSize)
{
}

AboutComponent::AboutComponent (const void* pictureData, size_t pictureSize)
{
    versionLabel     = makeCaption (*this, "versionLabel", "Version:");
    versionNumLabel  = makeCaption (*this, "versionNumLabel", velthorn::versionString);
    releaseLabel     = makeCaption (*this, "releaseLabel", "Release:");
    releaseDateLabel = makeCaption (*this, "releaseDateLabel", "2011");
    contactLabel     = makeCaption (*this, "contactLabel", "Contact:");

    // Added after the labels, so it lies above the "Contact:" caption it
    // overlaps and takes the clicks there.
    const juce::String address (contactAddress);
    const auto mailTo = "mailto:" + address;

    contactLink = std::make_unique<juce::HyperlinkButton> (address, juce::URL (mailTo));
    addAndMakeVisible (*contactLink);
    contactLink->setTooltip (mailTo);
    contactLink->setButtonText (address);
    contactLink->setColour (juce::HyperlinkButton::textColourId, juce::Colour (0xffb9b9b9));

    aboutImage = decodePicture (pictureData, pictureSize);

    setSize (400, 400);
}

AboutComponent::~AboutComponent()
{
    versionLabel = nullptr;
    versionNumLabel = nullptr;
    releaseLabel = nullptr;
    releaseDateLabel = nullptr;
    contactLabel = nullptr;
    contactLink = nullptr;
    aboutImage = juce::Image();
}

void AboutComponent::paint (juce::Graphics& g)
{
    // Where the picture is transparent, or missing, the white shows.
    g.fillAll (juce::Colours::white);

    g.drawImage (aboutImage,
                 0, 0, 400, 400,
                 0, 0, aboutImage.getWidth(), aboutImage.getHeight(),
                 false);
}

void AboutComponent::resized()
{
    versionLabel->setBounds (16, 104, 72, 24);
    versionNumLabel->setBounds (80, 104, 72, 24);
    releaseLabel->setBounds (16, 136, 72, 24);
    releaseDateLabel->setBounds (80, 136, 72, 24);
    contactLabel->setBounds (16, 168, 72, 24);
    contactLink->setBounds (58, 170, 184, 20);
}

void showAboutDialog (juce::Component& centreAround)
{
    AboutComponent panel;

    // The dialog does not own the panel; it lives until the modal loop ends.
    juce::DialogWindow::showModalDialog ("About", &panel, &centreAround, juce::Colours::white,
                                         true, false, false);
}
