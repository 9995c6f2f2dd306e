#include "AboutComponent.h"
#include "PixelTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace PixelTestSupport;

namespace
{
    const char* const address = "hi@velthorn.audio";
    const char* const mailTo = "mailto:hi@velthorn.audio";

    juce::Component* findChild (juce::Component& parent, const juce::String& name)
    {
        for (auto* child : parent.getChildren())
            if (child->getName() == name)
                return child;

        return nullptr;
    }

    juce::HyperlinkButton* findLink (juce::Component& panel)
    {
        for (auto* child : panel.getChildren())
            if (auto* link = dynamic_cast<juce::HyperlinkButton*> (child))
                return link;

        return nullptr;
    }

    // PNG bytes kept for the whole run: the image cache keys pictures by the
    // address of their bytes, so every buffer here has an address of its own
    // that is never reused for other data.
    const juce::MemoryBlock& encodedPng (const juce::Image& picture)
    {
        static std::vector<std::unique_ptr<juce::MemoryBlock>> keptAlive;
        keptAlive.push_back (std::make_unique<juce::MemoryBlock>());

        juce::MemoryOutputStream out (*keptAlive.back(), false);
        juce::PNGImageFormat().writeImageToStream (picture, out);
        out.flush();
        return *keptAlive.back();
    }

    // Four opaque quadrants (colours of frames 0 to 3, left to right, top to
    // bottom), with a fully transparent square in the middle.
    juce::Image quadrantPicture (int width, int height)
    {
        juce::Image picture (juce::Image::ARGB, width, height, true);
        const auto w = width / 2, h = height / 2;

        {
            juce::Graphics g (picture);
            g.setColour (frameColour (0)); g.fillRect (0, 0, w, h);
            g.setColour (frameColour (1)); g.fillRect (w, 0, width - w, h);
            g.setColour (frameColour (2)); g.fillRect (0, h, w, height - h);
            g.setColour (frameColour (3)); g.fillRect (w, h, width - w, height - h);
        }

        picture.clear ({ width * 3 / 8, height * 3 / 8, width / 4, height / 4 });
        return picture;
    }

    const juce::MemoryBlock& quadrantPng400()
    {
        static const auto& bytes = encodedPng (quadrantPicture (400, 400));
        return bytes;
    }
}

TEST (AboutComponent, CaptionsHaveTheirTextPlaceAndSharedLook)
{
    struct Case { const char* name; const char* text; juce::Rectangle<int> bounds; int childIndex; };

    const Case cases[] = {
        { "versionLabel",     "Version:", { 16, 104, 72, 24 }, 0 },
        { "versionNumLabel",  "1.0.4",    { 80, 104, 72, 24 }, 1 },
        { "releaseLabel",     "Release:", { 16, 136, 72, 24 }, 2 },
        { "releaseDateLabel", "2011",     { 80, 136, 72, 24 }, 3 },
        { "contactLabel",     "Contact:", { 16, 168, 72, 24 }, 4 },
    };

    AboutComponent panel (nullptr, 0);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);

        auto* label = dynamic_cast<juce::Label*> (findChild (panel, c.name));
        ASSERT_NE (label, nullptr);

        EXPECT_EQ (panel.getIndexOfChildComponent (label), c.childIndex);
        EXPECT_EQ (label->getText(), c.text);
        EXPECT_EQ (label->getBounds(), c.bounds);
        EXPECT_TRUE (label->isVisible());

        const auto font = label->getFont();
        EXPECT_EQ (font.getTypefaceName(), "Candara");
        EXPECT_FLOAT_EQ (font.getHeight(), 17.0f);
        EXPECT_EQ (font.getStyleFlags(), juce::Font::plain);
        EXPECT_EQ (label->getJustificationType(), juce::Justification (juce::Justification::centredLeft));

        EXPECT_FALSE (label->isEditableOnSingleClick());
        EXPECT_FALSE (label->isEditableOnDoubleClick());
        EXPECT_FALSE (label->doesLossOfFocusDiscardChanges());
        EXPECT_FALSE (label->getWantsKeyboardFocus());
        EXPECT_FALSE (label->isBeingEdited());

        struct ColourCase { int id; juce::uint32 argb; const char* what; };
        const ColourCase colours[] = {
            { juce::Label::textColourId,            0xffb9b9b9, "label text" },
            { juce::TextEditor::textColourId,       0xff000000, "editor text" },
            { juce::TextEditor::backgroundColourId, 0x00000000, "editor background" },
        };

        for (const auto& colour : colours)
        {
            EXPECT_TRUE (label->isColourSpecified (colour.id)) << colour.what;
            EXPECT_EQ (label->findColour (colour.id), juce::Colour (colour.argb)) << colour.what;
        }
    }
}

TEST (AboutComponent, VersionNumberIsTheProjectVersion)
{
    AboutComponent panel (nullptr, 0);

    auto* label = dynamic_cast<juce::Label*> (findChild (panel, "versionNumLabel"));
    ASSERT_NE (label, nullptr);

    // The number comes from the build's project version, the same one
    // `Velthorn --version` prints, and it still fits its 72 pixel label.
    EXPECT_EQ (label->getText(), juce::String (VELTHORN_PROJECT_VERSION));
    EXPECT_LE (label->getFont().getStringWidthFloat (label->getText()) + (float) label->getBorderSize().getLeftAndRight(),
               (float) label->getWidth());
}

TEST (AboutComponent, ContactLinkOpensAMailToTheProjectAndLiesAboveItsCaption)
{
    AboutComponent panel (nullptr, 0);
    panel.setVisible (true);    // hit testing only finds visible components

    auto* link = findLink (panel);
    ASSERT_NE (link, nullptr);

    EXPECT_EQ (link->getButtonText(), address);
    EXPECT_EQ (link->getURL().toString (false), mailTo);
    EXPECT_EQ (link->getTooltip(), mailTo);
    EXPECT_EQ (link->getBounds(), juce::Rectangle<int> (58, 170, 184, 20));
    EXPECT_TRUE (link->isVisible());
    EXPECT_TRUE (link->isColourSpecified (juce::HyperlinkButton::textColourId));
    EXPECT_EQ (link->findColour (juce::HyperlinkButton::textColourId), juce::Colour (0xffb9b9b9));
    EXPECT_EQ (juce::String (AboutComponent::contactAddress), address);

    // Added last, so it is the topmost child and takes the clicks where it
    // overlaps the right part of the "Contact:" caption (x 58 to 88).
    auto* caption = findChild (panel, "contactLabel");
    ASSERT_NE (caption, nullptr);
    EXPECT_EQ (panel.getIndexOfChildComponent (link), panel.getNumChildComponents() - 1);
    EXPECT_GT (panel.getIndexOfChildComponent (link), panel.getIndexOfChildComponent (caption));
    EXPECT_TRUE (caption->getBounds().intersects (link->getBounds()));
    EXPECT_EQ (panel.getComponentAt (juce::Point<int> (70, 180)), link);
    EXPECT_EQ (panel.getComponentAt (juce::Point<int> (30, 180)), caption);
}

TEST (AboutComponent, PanelIsAFixedFourHundredSquareWithSixChildren)
{
    AboutComponent panel (nullptr, 0);

    EXPECT_EQ (panel.getWidth(), 400);
    EXPECT_EQ (panel.getHeight(), 400);
    EXPECT_TRUE (panel.getName().isEmpty());
    EXPECT_EQ (panel.getNumChildComponents(), 6);

    // Whatever size it is given, the children keep their places.
    std::vector<juce::Rectangle<int>> before;
    for (auto* child : panel.getChildren())
        before.push_back (child->getBounds());

    for (const auto size : { juce::Point<int> (600, 500), juce::Point<int> (50, 30) })
    {
        panel.setSize (size.x, size.y);
        for (int i = 0; i < panel.getNumChildComponents(); ++i)
            EXPECT_EQ (panel.getChildComponent (i)->getBounds(), before[(size_t) i]) << i;
    }
}

TEST (AboutComponent, UndecodablePictureLeavesAWhitePanel)
{
    // None of these starts like a PNG file. The framework's PNG reader, built
    // against the system libpng, crashes on a damaged PNG instead of giving
    // a null image, so broken PNG data is kept out of this table.
    static const unsigned char noise[] = { 0x13, 0x37, 0x00, 0xff, 0x42, 0x42, 0x7e, 0x01, 0x02, 0x03, 0x04, 0x05,
                                           0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f, 0x10, 0x11 };
    static const char text[] = "not a picture at all, just some words";

    struct Case { const char* what; const void* data; size_t size; };

    const Case cases[] = {
        { "no bytes",                      nullptr,                       0 },
        { "null pointer with a length",    nullptr,                       1000 },
        { "noise",                         noise,                         sizeof (noise) },
        { "text",                          text,                          sizeof (text) },
        { "real picture, zero length",     quadrantPng400().getData(),    0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);

        AboutComponent panel (c.data, c.size);

        EXPECT_TRUE (panel.getAboutImage().isNull());
        EXPECT_EQ (panel.getNumChildComponents(), 6);
        EXPECT_EQ (panel.getBounds(), juce::Rectangle<int> (0, 0, 400, 400));
        EXPECT_TRUE (exactlyFilled (paintOwnFace (panel), { 0, 0, 400, 400 }, juce::Colours::white));
    }
}

TEST (AboutComponent, DrawsItsPictureOneToOneOverWhite)
{
    const auto& bytes = quadrantPng400();
    AboutComponent panel (bytes.getData(), bytes.getSize());

    ASSERT_TRUE (panel.getAboutImage().isValid());
    EXPECT_EQ (panel.getAboutImage().getBounds(), juce::Rectangle<int> (0, 0, 400, 400));

    const auto canvas = paintOwnFace (panel);
    const auto transparentSquare = juce::Rectangle<int> (150, 150, 100, 100);

    for (int y = 0; y < 400; ++y)
    {
        for (int x = 0; x < 400; ++x)
        {
            const auto quadrant = (x < 200 ? 0 : 1) + (y < 200 ? 0 : 2);
            const auto expected = transparentSquare.contains (x, y) ? juce::Colours::white : frameColour (quadrant);
            ASSERT_EQ (canvas.getPixelAt (x, y), expected) << x << ", " << y;
        }
    }
}

TEST (AboutComponent, StretchesAPictureOfAnotherSizeOverThePanel)
{
    const auto& bytes = encodedPng (quadrantPicture (100, 60));
    AboutComponent panel (bytes.getData(), bytes.getSize());
    ASSERT_EQ (panel.getAboutImage().getBounds(), juce::Rectangle<int> (0, 0, 100, 60));

    const auto canvas = paintOwnFace (panel);

    // Inside each quadrant the colour is exact; at the panel's corners the
    // resampled edge may differ by a rounding step, but the picture reaches
    // them opaquely.
    struct Probe { int x, y; juce::Colour expected; int tolerance; };
    for (const auto& probe : { Probe { 20, 20, frameColour (0), 0 },   Probe { 380, 20, frameColour (1), 0 },
                               Probe { 20, 380, frameColour (2), 0 },  Probe { 380, 380, frameColour (3), 0 },
                               Probe { 200, 200, juce::Colours::white, 0 },
                               Probe { 0, 0, frameColour (0), 2 },     Probe { 399, 0, frameColour (1), 2 },
                               Probe { 0, 399, frameColour (2), 2 },   Probe { 399, 399, frameColour (3), 2 } })
    {
        const auto pixel = canvas.getPixelAt (probe.x, probe.y);
        EXPECT_EQ (pixel.getAlpha(), 255) << probe.x << ", " << probe.y;
        EXPECT_TRUE (sameRgb (pixel, probe.expected, probe.tolerance))
            << probe.x << ", " << probe.y << ": " << pixel.toDisplayString (true);
    }
}

TEST (AboutComponent, PanelsBuiltFromTheSameBytesShareOneDecodedPicture)
{
    const auto& bytes = quadrantPng400();
    AboutComponent first (bytes.getData(), bytes.getSize());
    AboutComponent second (bytes.getData(), bytes.getSize());

    ASSERT_TRUE (first.getAboutImage().isValid());
    EXPECT_EQ (first.getAboutImage(), second.getAboutImage());
}

TEST (AboutComponent, PaintsWithItsChildrenOverTheWhiteGround)
{
    AboutComponent panel (nullptr, 0);
    const auto canvas = paintWhole (panel);

    // Far from every child the ground is plain white.
    for (const auto point : { juce::Point<int> (5, 5), juce::Point<int> (395, 395), juce::Point<int> (300, 100) })
        EXPECT_EQ (canvas.getPixelAt (point.x, point.y), juce::Colours::white) << point.toString();

    // The captions and the link draw their grey text in their own bounds.
    struct Area { const char* what; juce::Rectangle<int> bounds; };
    for (const auto& area : { Area { "version caption", { 16, 104, 72, 24 } },
                              Area { "release year",    { 80, 136, 72, 24 } },
                              Area { "contact link",    { 90, 170, 150, 20 } } })
    {
        bool drewSomething = false;
        for (int y = area.bounds.getY(); y < area.bounds.getBottom() && ! drewSomething; ++y)
            for (int x = area.bounds.getX(); x < area.bounds.getRight() && ! drewSomething; ++x)
                drewSomething = canvas.getPixelAt (x, y) != juce::Colours::white;

        EXPECT_TRUE (drewSomething) << area.what;
    }
}

TEST (AboutComponent, DeletesItsChildrenInCreationOrder)
{
    struct DeletionLog final : public juce::ComponentListener
    {
        void componentBeingDeleted (juce::Component& component) override   { names.add (component.getName()); }
        juce::StringArray names;
    };

    DeletionLog log;
    juce::StringArray created;

    {
        auto panel = std::make_unique<AboutComponent> (nullptr, 0);

        for (auto* child : panel->getChildren())
        {
            created.add (child->getName());
            child->addComponentListener (&log);
        }
    }

    EXPECT_EQ (created.size(), 6);
    EXPECT_EQ (log.names, created);
}

TEST (AboutComponent, DefaultPanelShowsTheEmbeddedPictureOneToOne)
{
    AboutComponent panel;

    EXPECT_EQ (panel.getNumChildComponents(), 6);
    const auto picture = panel.getAboutImage();
    ASSERT_TRUE (picture.isValid());
    ASSERT_EQ (picture.getBounds(), juce::Rectangle<int> (0, 0, 400, 400));

    // Each painted pixel is the picture's own pixel over the white ground.
    const auto canvas = paintOwnFace (panel);

    for (int y = 0; y < 400; y += 7)
    {
        for (int x = 0; x < 400; x += 7)
        {
            const auto expected = juce::Colours::white.overlaidWith (picture.getPixelAt (x, y));
            const auto pixel = canvas.getPixelAt (x, y);
            ASSERT_EQ (pixel.getAlpha(), 255) << x << ", " << y;
            ASSERT_TRUE (sameRgb (pixel, expected, 1))
                << x << ", " << y << ": " << pixel.toDisplayString (true) << " vs " << expected.toDisplayString (true);
        }
    }

    // A second about box takes the decoded picture from the image cache.
    AboutComponent again;
    EXPECT_EQ (again.getAboutImage(), picture);
}

TEST (AboutDialog, ShowsAFreshFixedPanelAndClosesLikeItsCloseButton)
{
    if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
        GTEST_SKIP() << "the modal dialog needs a display";

    enum class Closing { escapeKey, closeButton };

    for (const auto closing : { Closing::escapeKey, Closing::closeButton })
    {
        SCOPED_TRACE (closing == Closing::escapeKey ? "Escape" : "close button");

        juce::Component owner;
        owner.setBounds (100, 80, 800, 600);

        struct Seen
        {
            bool found = false, closeButtonOnly = false, resizable = true, closedByUs = false, forced = false;
            juce::String title;
            juce::Colour background;
            juce::Rectangle<int> contentBounds, windowBounds;
            juce::String contentType;
        };
        auto seen = std::make_shared<Seen>();

        // Runs inside the dialog's modal loop.
        juce::MessageManager::callAsync ([seen, closing]
        {
            auto* modalManager = juce::ModalComponentManager::getInstance();
            auto* dialog = dynamic_cast<juce::DialogWindow*> (modalManager->getModalComponent (0));

            if (dialog == nullptr)
            {
                modalManager->cancelAllModalComponents();
                return;
            }

            seen->found = true;
            seen->title = dialog->getName();
            seen->resizable = dialog->isResizable();
            seen->background = dialog->getBackgroundColour();
            seen->closeButtonOnly = dialog->getCloseButton() != nullptr && dialog->getMinimiseButton() == nullptr
                                    && dialog->getMaximiseButton() == nullptr;
            seen->windowBounds = dialog->getScreenBounds();

            if (auto* content = dynamic_cast<AboutComponent*> (dialog->getContentComponent()))
            {
                seen->contentType = "AboutComponent";
                seen->contentBounds = content->getBounds();
            }

            if (closing == Closing::escapeKey)
            {
                if (auto* peer = dialog->getPeer())
                    peer->handleKeyPress (juce::KeyPress (juce::KeyPress::escapeKey));
            }
            else if (auto* button = dialog->getCloseButton())
            {
                button->triggerClick();
            }

            // If the dialog is still open once the close request has been
            // handled, end it here so the test reports instead of hanging.
            const juce::Component::SafePointer<juce::DialogWindow> safeDialog (dialog);

            juce::MessageManager::callAsync ([seen, safeDialog]
            {
                if (safeDialog != nullptr && safeDialog->isCurrentlyModal())
                {
                    seen->forced = true;
                    safeDialog->exitModalState (0);
                }
            });
        });

        showAboutDialog (owner);

        EXPECT_TRUE (seen->found);
        EXPECT_FALSE (seen->forced);
        EXPECT_EQ (seen->title, "About");
        EXPECT_FALSE (seen->resizable);
        EXPECT_TRUE (seen->closeButtonOnly);
        EXPECT_EQ (seen->background, juce::Colours::white);
        EXPECT_EQ (seen->contentType, "AboutComponent");
        EXPECT_EQ (seen->contentBounds.getWidth(), 400);
        EXPECT_EQ (seen->contentBounds.getHeight(), 400);

        // Centred over the component it was asked to centre around.
        EXPECT_NEAR (seen->windowBounds.getCentreX(), owner.getBounds().getCentreX(), 1);
        EXPECT_NEAR (seen->windowBounds.getCentreY(), owner.getBounds().getCentreY(), 1);

        EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
    }
}
