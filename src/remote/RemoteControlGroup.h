#pragma once

#include "remote/PortField.h"

namespace arx
{

class OscServer;

// The settings page's "Remote control" group: the application's OSC endpoint on or off, its UDP
// port and whether other computers may use it, and where it listens now. Every window's page
// shows the same endpoint; a change made on one shows on all.
//
// Threads: message thread.
class RemoteControlGroup : public juce::GroupComponent, private juce::ChangeListener
{
public:
    static constexpr int width = 230, height = 118;

    explicit RemoteControlGroup (OscServer& server);
    ~RemoteControlGroup() override;

    juce::ToggleButton& getOnButton() noexcept { return onButton; }
    PortField& getPortField() noexcept { return portField; }
    juce::ToggleButton& getAllowOthersButton() noexcept { return allowOthers; }
    juce::Label& getStatusLabel() noexcept { return statusLabel; }

    void resized() override;

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void showSettings();
    void userChanged();

    OscServer& server;
    juce::ToggleButton onButton { "On" };
    juce::Label portLabel { "osc port label", "UDP port" };
    PortField portField { "osc port" };
    juce::ToggleButton allowOthers { "Allow other computers" };
    juce::Label statusLabel { "osc status" };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RemoteControlGroup)
};

} // namespace arx
