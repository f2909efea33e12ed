#include "remote/WebRemoteGroup.h"

#include "remote/WebRemote.h"

namespace arx
{

WebRemoteGroup::WebRemoteGroup (WebRemote& r) : juce::GroupComponent ("web remote", "Web remote"), remote (r)
{
    setSize (200, 124);
    onButton.setName ("web remote on");
    othersButton.setName ("web remote allows others");
    status.setName ("web remote status");
    portLabel.attachToComponent (&portBox, true);
    status.setFont (juce::Font (13.0f));

    onButton.onClick = [this] { choose(); };
    othersButton.onClick = [this] { choose(); };
    portBox.onCommit = [this] { choose(); };

    for (auto* c : std::initializer_list<juce::Component*> { &onButton, &portBox, &othersButton, &status })
        addAndMakeVisible (c);
    remote.changes.addChangeListener (this);
    showState();
}

WebRemoteGroup::~WebRemoteGroup()
{
    remote.changes.removeChangeListener (this);
}

void WebRemoteGroup::resized()
{
    auto area = getLocalBounds().reduced (10, 0).withTrimmedTop (16);
    auto row = area.removeFromTop (24);
    onButton.setBounds (row.removeFromLeft (100));
    portBox.setBounds (row.removeFromRight (56).reduced (0, 2));
    othersButton.setBounds (area.removeFromTop (24));
    status.setBounds (area.removeFromTop (44));
}

void WebRemoteGroup::changeListenerCallback (juce::ChangeBroadcaster*)
{
    showState();
}

void WebRemoteGroup::showState()
{
    const auto prefs = remote.getPreferences();
    onButton.setToggleState (remote.isRunning() || prefs.on, juce::dontSendNotification);
    othersButton.setToggleState (prefs.allowOthers, juce::dontSendNotification);
    portBox.showPort (remote.isRunning() ? remote.runningPort() : prefs.port);

    juce::String shown;
    if (remote.getProblem().isNotEmpty())
        shown = remote.getProblem();
    else if (remote.isRunning())
        shown = prefs.allowOthers ? "Pairing code: " + remote.pairingCode() : "This computer only";
    status.setText (shown, juce::dontSendNotification);
}

void WebRemoteGroup::choose()
{
    auto prefs = remote.getPreferences();
    const int port = portBox.getPort();
    const bool portChanged = port != 0 && port != (remote.isRunning() ? remote.runningPort() : prefs.port);
    if (onButton.getToggleState() == (remote.isRunning() || prefs.on) && othersButton.getToggleState() == prefs.allowOthers
        && ! portChanged)
        return;
    prefs.on = onButton.getToggleState();
    prefs.allowOthers = othersButton.getToggleState();
    if (port != 0)
        prefs.port = port;
    remote.setPreferences (prefs);
}

} // namespace arx
