#include "remote/RemoteControlGroup.h"

#include "remote/OscServer.h"

namespace arx
{

RemoteControlGroup::RemoteControlGroup (OscServer& s) : juce::GroupComponent ("remote control", "Remote control"), server (s)
{
    setSize (width, height);
    onButton.setName ("osc on");
    allowOthers.setName ("osc allow others");
    portEditor.setInputRestrictions (5, "0123456789");
    for (auto* c : std::initializer_list<juce::Component*> { &onButton, &portLabel, &portEditor, &allowOthers, &statusLabel })
        addAndMakeVisible (c);
    statusLabel.setFont (juce::Font (12.0f));

    onButton.onClick = [this] { userChanged(); };
    allowOthers.onClick = [this] { userChanged(); };
    portEditor.onReturnKey = [this] { userChanged(); };
    portEditor.onFocusLost = [this] { userChanged(); };

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
    portEditor.setBounds (row.removeFromLeft (70).reduced (0, 1));
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
    if (! portEditor.hasKeyboardFocus (false))
        portEditor.setText (juce::String (settings.port), false);
    allowOthers.setToggleState (settings.allowOthers, juce::dontSendNotification);
    statusLabel.setText (server.getStatus(), juce::dontSendNotification);
}

void RemoteControlGroup::userChanged()
{
    auto settings = server.getSettings();
    settings.enabled = onButton.getToggleState();
    settings.allowOthers = allowOthers.getToggleState();
    const int port = portEditor.getText().getIntValue();
    if (port > 0 && port < 65536)
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
