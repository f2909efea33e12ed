#include "mixer/CwContent.h"

#include "console/ConsolePreferences.h"
#include "console/ConsoleState.h"
#include "look/ConsoleLookAndFeel.h"
#include "look/ConsoleSkin.h"
#include "mixer/CwcCtrl.h"
#include "settings/Settings.h"

namespace arx
{

CwContent::CwContent (ConsoleSkin& consoleSkin, bhw& dev, ConsoleState& consoleState, bool vistaOrLater)
    : skin (consoleSkin), device (dev), state (consoleState), vista (vistaOrLater)
{
    setName (device.uniqueName());
    setOpaque (true);
}

CwContent::~CwContent()
{
    // The thread's destructor detaches it from the window before it waits, so a thread that has
    // not finished yet never waits for this, the message thread. The poller and the settings
    // page's controls may sit in the thread's queues: they go after the thread.
    thread.reset();
    poller.reset();
    settingsPage.reset();
}

void CwContent::initialise (hwthread::Owner& owner, juce::PropertiesFile& preferences)
{
    thread = std::make_unique<hwthread> (device, state, &owner);
    poller = std::make_unique<CwcCtrl> (*this, device, *this);

    // The tab bar, the mixer page, the session box and the logo box take their places here as
    // children, in that order, before the settings page.
    settingsPage = std::make_unique<Settings> (*this, device, skin.pageBounds(), vista);
    addChildComponent (*settingsPage);

    for (auto* control = controlHead; control != nullptr; control = control->getNextInWindow())
        control->refresh (state, false);

    const int storedTab = validTab (preferences.getIntValue (prefs::tab, 0), pairTabCount());
    selectPage (storedTab == settingsTab ? settingsTab : 2 * storedTab);
    thread->startThread();
}

int CwContent::pairTabCount() const noexcept
{
    return juce::jmax (1, state.outputCount() / 2);
}

int CwContent::validTab (int stored, int pairTabs) noexcept
{
    if (stored == settingsTab)
        return settingsTab;
    return (stored >= 0 && stored < pairTabs) ? stored : 0;
}

void CwContent::selectPage (int bank)
{
    const int newTab = bank < 0 ? settingsTab : bank / 2;
    if (newTab == tab)
        return;
    tab = newTab;
    if (settingsPage != nullptr)
        settingsPage->setVisible (bank < 0);
    repaint (skin.tabBarBounds());
}

void CwContent::pollTick()
{
    if (thread != nullptr && poller != nullptr)
        thread->queueGet (*poller);
}

void CwContent::windowActivated()
{
    if (thread != nullptr && poller != nullptr)
        thread->queueSet (*poller);
}

void CwContent::stopHardwareThread()
{
    if (thread != nullptr)
        thread->requestStop();
}

void CwContent::deviceRemoved()
{
    if (thread != nullptr)
    {
        thread->abandonWriteBack();
        thread->detachWindow();
        thread->requestStop();
    }
}

void CwContent::addControl (HwCtrl& control)
{
    control.setNextInWindow (controlHead);
    controlHead = &control;
}

//==============================================================================
bool CwContent::LiveValues::operator== (const LiveValues& other) const
{
    return statusBits == other.statusBits && sampleRate == other.sampleRate && bufferSize == other.bufferSize
           && rateLocked == other.rateLocked && inputMeters == other.inputMeters
           && outputMeters == other.outputMeters;
}

CwContent::LiveValues CwContent::readLiveValues() const
{
    LiveValues v;
    v.statusBits = device.statusBits();
    v.sampleRate = device.driverInfoSampleRate();
    v.bufferSize = device.driverInfoBufferSize();
    v.rateLocked = device.driverRateLocked();
    for (int i = 0; i < device.inputMeterCount(); ++i)
        v.inputMeters.push_back (device.inputMeter (i));
    for (int i = 0; i < device.outputMeterCount(); ++i)
        v.outputMeters.push_back (device.outputMeter (i));
    return v;
}

void CwContent::handleCommandMessage (int)
{
    if (poller == nullptr || ! poller->isDataValid())
        return;

    // Every good poll: the page queues its own reads from what the poll brought.
    if (settingsPage != nullptr)
        settingsPage->updateStatus();

    // An idle console must cost little: only values that moved are shown again.
    auto fresh = readLiveValues();
    if (fresh == shown)
        return;

    shown = std::move (fresh);
    ++liveUpdates;
    // Meters, activity lights and the settings page's status repaint their own areas once
    // they exist; the frame painted here does not depend on these values.
}

//==============================================================================
void CwContent::paint (juce::Graphics& g)
{
    g.fillAll (ConsoleLookAndFeel::backgroundColour());

    // Tab bar strip until the tab bar itself sits there.
    const auto bar = skin.tabBarBounds();
    g.setColour (juce::Colour (28, 28, 28));
    g.fillRect (bar);
    g.setColour (juce::Colour (70, 70, 70));
    g.drawHorizontalLine (bar.getBottom() - 1, 0.0f, (float) bar.getRight());

    const auto page = skin.pageBounds();
    juce::Graphics::ScopedSaveState saved (g);
    g.reduceClipRegion (page);
    g.setOrigin (page.getPosition());
    paintPage (g);
}

void CwContent::paintPage (juce::Graphics& g) const
{
    const auto drawAt = [&g] (const juce::Image& image, juce::Rectangle<int> area) {
        if (image.isValid() && ! area.isEmpty())
            g.drawImage (image, area.toFloat(), juce::RectanglePlacement::stretchToFit);
    };

    const auto header = skin.inputHeaderBounds();
    g.setColour (juce::Colour (24, 24, 24));
    g.fillRect (header);

    for (int k = 0; k < skin.inputCount(); ++k)
        g.drawImageAt (skin.inputStripImage(), skin.inputStripBounds (k).getX(), skin.inputStripBounds (k).getY());

    drawAt (skin.playbackColumnImage(), skin.playbackStripBoxBounds());
    drawAt (skin.outputColumnImage(), skin.outputStripBoxBounds());
    drawAt (skin.logoImage(), skin.logoBoxBounds());
    // The solo warning's place stays dark: the warning shows itself only while a solo is on.

    g.setColour (juce::Colour (40, 40, 40));
    g.fillRect (skin.playbackHeaderBounds());
    g.fillRect (skin.outputHeaderBounds());
}

} // namespace arx
