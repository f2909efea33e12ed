#include "remote/RemoteControlGroup.h"

#include "remote/OscServer.h"

namespace arx
{

RemoteControlGroup::RemoteControlGroup (OscServer& s) : juce::GroupComponent ("remote control", "Remote control"), server (s)
{
    setSize (width, height);
    onButton.setName ("osc on");
    allowOthers.setName ("osc allow others");
    for (auto* c : std::initializer_list<juce::Component*> { &onButton, &portLabel, &portField, &allowOthers, &statusLabel })
        addAndMakeVisible (c);
    statusLabel.setFont (juce::Font (12.0f));

    onButton.onClick = [this] { userChanged(); };
    allowOthers.onClick = [this] { userChanged(); };
    portField.onCommit = [this] { userChanged(); };

    server.addChangeListener (this);
    showSettings();
}

RemoteControlGroup::~RemoteControlGroup()
{
    server.removeChangeListener (this);
}

void RemoteControlGroup::resized()
{
    auto area = getLocalBounds().reduced (10, 0).withTrimmedTop (18);
    auto row = area.removeFromTop (24);
    onButton.setBounds (row.removeFromLeft (60));
    portLabel.setBounds (row.removeFromLeft (70));
    portField.setBounds (row.removeFromLeft (70).reduced (0, 1));
    allowOthers.setBounds (area.removeFromTop (24));
    statusLabel.setBounds (area.removeFromTop (40));
}

void RemoteControlGroup::changeListenerCallback (juce::ChangeBroadcaster*)
{
    showSettings();
}

void RemoteControlGroup::showSettings()
{
    const auto& settings = server.getSettings();
    onButton.setToggleState (settings.enabled, juce::dontSendNotification);
    portField.showPort (settings.port);
    allowOthers.setToggleState (settings.allowOthers, juce::dontSendNotification);
    statusLabel.setText (server.getStatus(), juce::dontSendNotification);
}

void RemoteControlGroup::userChanged()
{
    auto settings = server.getSettings();
    settings.enabled = onButton.getToggleState();
    settings.allowOthers = allowOthers.getToggleState();
    if (const int port = portField.getPort(); port != 0)
        settings.port = port;
    if (settings == server.getSettings())
    {
        showSettings();
        return;
    }
    server.apply (settings);
    if (server.onUserChange)
        server.onUserChange (settings);
    showSettings();
}

} // namespace arx
