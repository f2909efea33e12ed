#pragma once

// The About box's content: the logo and the maker's line, the brand's web link, the versions,
// and the buttons that close the box, copy the versions, and start the device's and the
// guitar's firmware updates.
//
// Threads: message thread.

#include "device/Device.h"
#include "settings/VersionInfoGroup.h"
#include "look/SkinArt.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace arx
{

class AboutBox;

class AboutBoxContent : public juce::Component, private juce::Button::Listener
{
public:
    static constexpr int width = 530;
    static constexpr int height = 260;
    static constexpr int leftWidth = width - VersionInfoGroup::width - 15;
    static constexpr const char* webAddress = "https://www.vantrel.example/";

    // Every window's status poll rests while a firmware update started here runs.
    explicit AboutBoxContent (Device::Ptr device);
    ~AboutBoxContent() override;

    void paint (juce::Graphics& g) override;

    VersionInfoGroup& getVersions() noexcept { return *versions; }
    juce::HyperlinkButton& getWebLink() noexcept { return webLink; }
    juce::TextButton& getCloseButton() noexcept { return closeButton; }
    juce::TextButton& getCopyButton() noexcept { return copyButton; }
    juce::TextButton& getUpdateArxButton() noexcept { return updateArxButton; }
    juce::TextButton& getUpdateGuitarButton() noexcept { return updateGuitarButton; }

private:
    void buttonClicked (juce::Button* button) override;
    void layOut();
    void updateArx();
    void updateGuitarFirmware();
    AboutBox* box() const;

    Device::Ptr device;
    SkinArt logo;
    std::unique_ptr<VersionInfoGroup> versions;
    juce::HyperlinkButton webLink;
    juce::TextButton closeButton { "Close" }, updateArxButton { "Update ARX" },
        updateGuitarButton { "Update Guitar" }, copyButton { "Copy to clipboard" };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutBoxContent)
};

} // namespace arx
