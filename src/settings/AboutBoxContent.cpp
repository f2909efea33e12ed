#include "settings/AboutBoxContent.h"

#include "app/ModalDialogs.h"
#include "console/HardwareThread.h"
#include "firmware/FirmwareUpdate.h"
#include "guitar/GuitarUpdate.h"
#include "look/ConsoleSkin.h"
#include "settings/AboutBox.h"

namespace arx
{
namespace
{
const juce::Colour background (15, 15, 15);
const char* const updateArxQuestion =
    "\nThis will flash your ARX with the current firmware and reset it to the default settings.  Would you like to continue?";
const char* const updateGuitarQuestion = "\nThis will write the current firmware to your guitar.  Would you like to continue?";
} // namespace

AboutBoxContent::AboutBoxContent (Device::Ptr dev)
    : device (std::move (dev)), logo (SkinImage::aboutLogo),
      versions (std::make_unique<VersionInfoGroup> (*device)),
      webLink ("www.vantrel.example", juce::URL (webAddress))
{
    setSize (width, height);
    addAndMakeVisible (*versions);

    webLink.setColour (juce::HyperlinkButton::textColourId, juce::Colours::white);
    webLink.setFont (juce::Font (14.0f, juce::Font::bold | juce::Font::underlined), true, juce::Justification::centred);
    addAndMakeVisible (webLink);

    closeButton.addShortcut (juce::KeyPress (juce::KeyPress::escapeKey));
    for (auto* b : { &closeButton, &updateArxButton, &updateGuitarButton, &copyButton })
    {
        b->setClickingTogglesState (true);
        b->addListener (this);
        addAndMakeVisible (b);
    }
    layOut();
}

AboutBoxContent::~AboutBoxContent() = default;

void AboutBoxContent::layOut()
{
    const auto group = juce::Rectangle<int> (VersionInfoGroup::width, VersionInfoGroup::height).withPosition (width - 15 - VersionInfoGroup::width, 30);
    versions->setBounds (group);
    webLink.setBounds (0, 125, leftWidth, 20);
    closeButton.setBounds ((width - 80) / 2, height - 42, 80, 22);

    const int x = group.getX() + (group.getWidth() - 120) / 2;
    updateArxButton.setBounds (x, height - 57, 120, 22);
    updateGuitarButton.setBounds (x, updateArxButton.getBottom() + 5, 120, 22);
    copyButton.setBounds (x, group.getBottom() - 34, 120, 22);
}

void AboutBoxContent::paint (juce::Graphics& g)
{
    g.fillAll (background);
    logo.drawAt (g, (leftWidth - logo.getWidth()) / 2, 45);

    g.setColour (juce::Colours::white);
    g.setFont (juce::Font (13.0f, juce::Font::bold));
    g.drawFittedText ("ARX hardware and software developed by", 0, logo.getHeight() + 95, leftWidth, 20,
                      juce::Justification::centred, 1, 0.7f);
    g.drawFittedText ("Brio Digital Audio Corporation", 0, logo.getHeight() + 113, leftWidth, 20,
                      juce::Justification::centred, 1, 0.7f);
}

AboutBox* AboutBoxContent::box() const
{
    return findParentComponentOfClass<AboutBox>();
}

void AboutBoxContent::buttonClicked (juce::Button* button)
{
    // Toggle buttons used as push buttons.
    button->setToggleState (false, juce::dontSendNotification);

    if (button == &copyButton)
        juce::SystemClipboard::copyTextToClipboard (versions->clipboardText());
    else if (button == &closeButton)
    {
        if (auto* b = box())
            b->close();
    }
    else if (button == &updateArxButton)
        updateArx();
    else if (button == &updateGuitarButton)
        updateGuitarFirmware();
}

void AboutBoxContent::updateArx()
{
    juce::Component::SafePointer<AboutBox> b (box());
    if (b != nullptr)
        b->suspend();

    {
        const HardwareThread::PollPause noPolls;
        checkFirmware (*device, true, updateArxQuestion);
    }

    if (b != nullptr)
        b->close();
}

void AboutBoxContent::updateGuitarFirmware()
{
    juce::Component::SafePointer<AboutBox> b (box());
    if (b != nullptr)
        b->suspend();

    if (ModalDialogs::ask ("Vantrel ARX", updateGuitarQuestion, "Yes", "No"))
        updateGuitar (*device);

    if (b != nullptr)
        b->resume();
}

} // namespace arx
