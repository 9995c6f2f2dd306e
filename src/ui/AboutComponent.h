#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstddef>
#include <memory>

// The 400 x 400 content of the about box: the about picture as background,
// version and release captions and a mail link to the project. Message thread
// only.
class AboutComponent final : public juce::Component
{
public:
    // Message thread: builds the panel over the picture embedded in the
    // application.
    AboutComponent();

    // Message thread: builds the panel over a picture given as encoded image
    // bytes. Bytes in no image format (or none) leave the panel white behind
    // its labels and link. Damaged PNG data must not be passed: the
    // framework's PNG reader, with the system libpng, crashes on it.
    AboutComponent (const void* pictureData, size_t pictureSize);

    // Message thread.
    ~AboutComponent() override;

    // Message thread (called by the framework).
    void paint (juce::Graphics& g) override;

    // Message thread (called by the framework).
    void resized() override;

    // Message thread: the decoded picture, null if it did not decode.
    const juce::Image& getAboutImage() const noexcept     { return aboutImage; }

    // The mail address the link shows and opens.
    static constexpr const char* contactAddress = "hi@velthorn.audio";

private:
    std::unique_ptr<juce::Label> versionLabel;
    std::unique_ptr<juce::Label> versionNumLabel;
    std::unique_ptr<juce::Label> releaseLabel;
    std::unique_ptr<juce::Label> releaseDateLabel;
    std::unique_ptr<juce::Label> contactLabel;
    std::unique_ptr<juce::HyperlinkButton> contactLink;
    juce::Image aboutImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutComponent)
};

// Message thread: shows a fresh about panel in the modal "About" dialog,
// centred over centreAround, and returns when the dialog is closed (close
// button or Escape).
void showAboutDialog (juce::Component& centreAround);
