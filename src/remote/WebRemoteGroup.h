#pragma once

#include "remote/PortField.h"

namespace arx
{

class WebRemote;

// The settings page's "Web remote" group: on or off, the port, whether other computers may
// connect, and the pairing code they need while the server runs. The choices are the
// application's, not the device's: every window's group shows the same.
//
// Threads: message thread.
class WebRemoteGroup : public juce::GroupComponent, private juce::ChangeListener
{
public:
    explicit WebRemoteGroup (WebRemote& remote);
    ~WebRemoteGroup() override;

    juce::ToggleButton& getOnButton() noexcept { return onButton; }
    juce::ToggleButton& getOthersButton() noexcept { return othersButton; }
    PortField& getPortBox() noexcept { return portBox; }
    juce::Label& getStatus() noexcept { return status; }

    void resized() override;

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void showState();
    void choose();

    WebRemote& remote;
    juce::ToggleButton onButton { "On" };
    juce::Label portLabel { {}, "Port" };
    PortField portBox { "web remote port" };
    juce::ToggleButton othersButton { "Allow other computers" };
    juce::Label status;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WebRemoteGroup)
};

} // namespace arx
