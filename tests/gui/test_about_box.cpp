// The About box against devices of the in-process lab, never put on the desktop: the versions
// and their texts, the clipboard text, the layout and painting, and how opening and closing
// treat the console window.

#include "app/ConsoleApp.h"
#include "firmware/FlashProgressWindow.h"
#include "settings/AboutBox.h"
#include "settings/AboutBoxContent.h"
#include "settings/SettingsPage.h"
#include "window_test_support.h"

#include <gtest/gtest.h>

namespace arx::test
{
namespace
{
// The build's version as the About box shows it: a patch number of 0 is left out.
juce::String builtVersion()
{
    juce::StringArray parts;
    parts.addTokens (ARX_PROJECT_VERSION, ".", {});
    return parts[0] + "." + parts[1] + (parts[2].getIntValue() != 0 ? "." + parts[2] : juce::String());
}

juce::StringArray rowTexts (const VersionInfoGroup& versions)
{
    juce::StringArray out;
    for (auto& row : versions.getRows())
        out.add (row.name + "=" + row.value);
    return out;
}

TEST (AboutBox, VersionTextsFollowTheirRules)
{
    EXPECT_EQ (VersionInfoGroup::driverVersionText (0x02010000), "2.1");
    EXPECT_EQ (VersionInfoGroup::driverVersionText (0x01040200), "1.4.2");
    EXPECT_EQ (VersionInfoGroup::driverVersionText (0x01040005), "1.4.5");
    EXPECT_EQ (VersionInfoGroup::driverVersionText (0xFFFFFFFF), "255.255.255.255");
    EXPECT_EQ (VersionInfoGroup::fileVersionText ((1u << 16) | 2, 5), "1.2.5");
    EXPECT_EQ (VersionInfoGroup::fileVersionText ((1u << 16) | 2, 3u << 16), "1.2.3");
    EXPECT_EQ (VersionInfoGroup::fileVersionText ((10u << 16) | 0, (7u << 16) | 9), "10.0.7.9");
    EXPECT_EQ (VersionInfoGroup::fileVersionOf ("/no/such/ASIOBrioFireWire.dll"), "");
}

TEST (AboutBox, RowsShowTheDriverTheProgramAndTheFirmwareAndGoToTheClipboard)
{
    LabDevice lab;
    VersionInfoGroup versions (*lab.device);
    const juce::StringArray expected { "WDM driver=1.4.2", "ASIO driver=", "Console=" + builtVersion(), "ARM firmware=5.2",
                                       "FPGA=5.2" };
    EXPECT_EQ (rowTexts (versions), expected);
    EXPECT_EQ (versions.clipboardText(),
               "WDM driver 1.4.2\r\nASIO driver \r\nConsole " + builtVersion() + "\r\nARM firmware 5.2\r\nFPGA 5.2\r\n");
    // The program tells the same version as its About box.
    EXPECT_EQ (ConsoleApp().getApplicationVersion(), builtVersion());

    // A device without an FPGA names its DSP firmware last; an old one shows its own versions.
    sim::PlugOptions options;
    options.profile = "arx-nolock";
    LabDevice dsp (options);
    EXPECT_EQ (rowTexts (VersionInfoGroup (*dsp.device)).joinIntoString ("|").fromLastOccurrenceOf ("|", false, false),
               "DSP firmware=5.2");
    options.profile = "arx-old";
    LabDevice old (options);
    EXPECT_EQ (rowTexts (VersionInfoGroup (*old.device))[3], "ARM firmware=5.1");

    // Labels: names left, values right, one row every 22 pixels from 20 down.
    int rows = 0;
    for (auto* child : versions.getChildren())
    {
        if (child->getName() == "version R")
        {
            EXPECT_EQ (child->getBounds(), juce::Rectangle<int> (136, 20 + 22 * rows, 70, 20));
            ++rows;
        }
    }
    EXPECT_EQ (rows, 5);
    EXPECT_EQ (versions.getName(), "versions");
    EXPECT_EQ (versions.getText(), "Version information");
}

TEST (AboutBox, LayoutLinkAndPainting)
{
    LabDevice lab;
    AboutBoxContent content (lab.device);
    EXPECT_EQ (content.getBounds(), juce::Rectangle<int> (0, 0, 530, 260));
    EXPECT_EQ (content.getVersions().getBounds(), juce::Rectangle<int> (295, 30, 220, 170));
    EXPECT_EQ (content.getWebLink().getBounds(), juce::Rectangle<int> (0, 125, 295, 20));
    EXPECT_EQ (content.getWebLink().getURL().toString (false), "https://www.vantrel.example/");
    EXPECT_EQ (content.getCloseButton().getBounds(), juce::Rectangle<int> (225, 218, 80, 22));
    EXPECT_EQ (content.getUpdateArxButton().getBounds(), juce::Rectangle<int> (345, 203, 120, 22));
    EXPECT_EQ (content.getUpdateGuitarButton().getBounds(), juce::Rectangle<int> (345, 230, 120, 22));
    EXPECT_EQ (content.getCopyButton().getBounds(), juce::Rectangle<int> (345, 166, 120, 22));
    EXPECT_TRUE (content.getCloseButton().isRegisteredForShortcut (juce::KeyPress (juce::KeyPress::escapeKey)));

    const auto image = content.createComponentSnapshot (content.getLocalBounds());
    EXPECT_EQ (image.getPixelAt (5, 5), juce::Colour (15, 15, 15));
    // The logo sits centred in the left area from y 45 on: something other than the background.
    int logoPixels = 0;
    for (int y = 45; y < 45 + 66; ++y)
        for (int x = (295 - 105) / 2; x < (295 + 105) / 2; ++x)
            logoPixels += image.getPixelAt (x, y) != juce::Colour (15, 15, 15) ? 1 : 0;
    EXPECT_GT (logoPixels, 105 * 66 / 10);
    // The maker's lines are white text under the logo.
    bool white = false;
    for (int x = 0; x < 295 && ! white; ++x)
        white = image.getPixelAt (x, 66 + 95 + 10).getBrightness() > 0.9f;
    EXPECT_TRUE (white);
}

// The box that the settings page's "About" button opened, once it is up.
AboutBox* openedBox (juce::Button& about)
{
    about.triggerClick();
    AboutBox* box = nullptr;
    pumpUntil ([&] {
        auto& modal = *juce::ModalComponentManager::getInstance();
        box = modal.getNumModalComponents() > 0 ? dynamic_cast<AboutBox*> (modal.getModalComponent (0)) : nullptr;
        return box != nullptr;
    }, 2000);
    return box;
}

TEST (AboutBox, TheBoxAndTheProgressWindowOpenAtTheConsoleWindowsZoom)
{
    WindowRig w;
    w.window->setZoom (175);
    FlashProgressWindow progress (w.window.get(), false, false);
    EXPECT_FLOAT_EQ (progress.getDesktopScaleFactor(), 1.75f);

    juce::Component::SafePointer<AboutBox> box (openedBox (w.content().getSettingsPage()->getAboutButton()));
    ASSERT_NE (box.getComponent(), nullptr);
    EXPECT_FLOAT_EQ (box->getDesktopScaleFactor(), 1.75f);
    box->close();
    pumpUntil ([&] { return box == nullptr; }, 2000);

    w.window->setZoom (100);
    EXPECT_FLOAT_EQ (FlashProgressWindow (w.window.get(), false, false).getDesktopScaleFactor(), 1.0f);
}

TEST (AboutBox, TheSettingsPagesButtonOpensItOverTheConsoleWindowWhichStaysDisabledMeanwhile)
{
    WindowRig w;
    w.window->setBounds (100, 100, w.window->getWidth(), w.window->getHeight());
    auto& consoleWindow = *w.window;
    auto& about = w.content().getSettingsPage()->getAboutButton();

    juce::Component::SafePointer<AboutBox> box (openedBox (about));
    ASSERT_NE (box.getComponent(), nullptr);
    EXPECT_FALSE (consoleWindow.isEnabled());
    EXPECT_TRUE (box->isCurrentlyModal());
    EXPECT_EQ (box->getName(), "About");
    EXPECT_EQ (box->getContentComponent(), box->getAboutContent());
    EXPECT_EQ (box->getBounds().getCentre(), consoleWindow.getBounds().getCentre());

    // Copying leaves the button off; the text is the versions' (where there is a clipboard).
    auto& copy = box->getAboutContent()->getCopyButton();
    copy.triggerClick();
    pumpUntil ([&] { return ! copy.isDown(); }, 1000);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    EXPECT_FALSE (copy.getToggleState());
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr)
    {
        EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), box->getAboutContent()->getVersions().clipboardText());
    }

    box->getAboutContent()->getCloseButton().triggerClick();
    EXPECT_TRUE (pumpUntil ([&] { return box == nullptr; }, 5000)) << "the box deletes itself";
    EXPECT_TRUE (consoleWindow.isEnabled());

    // Out of sight while an update runs: hiding ends a modal state, which must not end the box.
    box = openedBox (about);
    ASSERT_NE (box.getComponent(), nullptr);
    box->suspend();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    ASSERT_NE (box.getComponent(), nullptr);
    EXPECT_FALSE (box->isCurrentlyModal());
    EXPECT_FALSE (consoleWindow.isEnabled());
    box->resume();
    EXPECT_TRUE (box->isCurrentlyModal());
    EXPECT_NE (box->getAboutContent(), nullptr);

    // The window's own close button does the same.
    box->closeButtonPressed();
    EXPECT_TRUE (pumpUntil ([&] { return box == nullptr; }, 5000));
    EXPECT_TRUE (consoleWindow.isEnabled());

    // Ended from outside (the program shutting down its modal windows), it still cleans up.
    box = openedBox (about);
    ASSERT_NE (box.getComponent(), nullptr);
    juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
    EXPECT_TRUE (pumpUntil ([&] { return box == nullptr; }, 5000));
    EXPECT_TRUE (consoleWindow.isEnabled());
}

} // namespace
} // namespace arx::test
