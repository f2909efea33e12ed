#include "mixer/ConsoleWindow.h"

#include "app/ConsoleApp.h"
#include "app/ConsoleAppMessages.h"
#include "console/ConsolePreferences.h"
#include "console/ConsoleState.h"
#include "firmware/FlashProgressWindow.h"
#include "look/ConsoleSkin.h"
#include "mixer/ConsoleContent.h"
#include "look/ConsoleZoom.h"
#include "mixer/OnDemandPainter.h"
#include "mixer/RepaintRate.h"
#include "mixer/ZoomHolder.h"
#include "settings/SettingsPage.h"

namespace arx
{

ConsoleWindow::ConsoleWindow (Device::Ptr dev, juce::MessageListener* appListener, const juce::File& preferencesFolder,
                              bool addToDesktop)
    : juce::DocumentWindow ("Console", juce::Colours::white,
                            juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton, addToDesktop),
      device (std::move (dev)),
      listener (appListener),
      folder (preferencesFolder)
{
    jassert (device != nullptr);

    const auto name = device->uniqueName() + " Console";
    setName (name);
    juce::Logger::writeToLog ("Creating window for " + name);

    skin = std::make_unique<ConsoleSkin> (device);
    openPreferences();

    setOpaque (true);
    // Before the native title bar makes the window's peer anew.
    limitRepaintRate (consoleRepaintHz);
    setUsingNativeTitleBar (true);

    state = std::make_unique<ConsoleState> (device.get());
    stateReadResult = state->readFromDevice();
    if (stateReadResult != 0)
        juce::Logger::writeToLog (juce::String::formatted ("Console - session read for %s gave %d",
                                                           device->uniqueName().toRawUTF8(), stateReadResult));
    state->loadPreferences (*preferences);

    content = std::make_unique<ConsoleContent> (*skin, *device, *state, ConsoleApp::isVistaOrLater());
    content->setSize (skin->contentBounds().getWidth(), skin->contentBounds().getHeight());
    holder = std::make_unique<ZoomHolder> (*content);
    setContentNonOwned (holder.get(), true);

    content->initialise (*this, *preferences);
    content->setZoomHandler ([this] (int direction) { stepZoom (direction); });
    if (auto* page = content->getSettingsPage())
        page->setZoomHandler ([this] (int percent) { setZoom (percent); });

    auto& commands = content->getCommandManager();
    commands.registerAllCommandsForTarget (content.get());
    // Without a target the manager finds none while nothing has the focus, and disables the
    // session buttons.
    commands.setFirstCommandTarget (content.get());
    commands.getKeyMappings()->resetToDefaultMappings();
    addKeyListener (commands.getKeyMappings());
}

ConsoleWindow::~ConsoleWindow()
{
    if (content != nullptr)
        removeKeyListener (content->getCommandManager().getKeyMappings());
    clearContentComponent();
    holder.reset();
    // The content stops the hardware thread, which still uses the state and the open device:
    // it goes first.
    content.reset();
    device->close();
    skin.reset();
    state.reset();
    preferences.reset();
}

void ConsoleWindow::openPreferences()
{
    preferences = openConsolePreferences (device->uniqueName(), folder);
}

//==============================================================================
void ConsoleWindow::restorePosition()
{
    if (preferences == nullptr)
        openPreferences();

    const int x = preferences->getIntValue (prefs::windowX, getX());
    const int y = preferences->getIntValue (prefs::windowY, getY());

    const int wanted = preferences->containsKey (prefs::zoom)
                           ? ConsoleZoom::valid (preferences->getIntValue (prefs::zoom))
                           : ConsoleZoom::forScale (platformScale());
    // The zoom counts screen pixels; the screen's area comes in the desktop's scaled units.
    const auto area = screenArea();
    const auto pixels = (frameSize().subtractedFrom (area).toDouble() * platformScale()).toNearestInt();
    setZoom (area.isEmpty() ? wanted : ConsoleZoom::largestFitting (wanted, content->getLocalBounds(), pixels));

    constrainer.setMinimumOnscreenAmounts (65536, 100, 100, 100);
    setConstrainer (&constrainer);

    const auto target = getBounds().withPosition (x, y);
    if (isOnDesktop() && juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr)
        constrainer.setBoundsForComponent (this, target, false, false, false, false);
    else
        setBounds (target);
}

void ConsoleWindow::savePreferences()
{
    // Only the first save of a window writes: close, removal and the end of the session may
    // each ask, and the later ones find the file gone.
    if (preferences == nullptr)
        return;

    const auto position = getScreenPosition();
    preferences->setValue (prefs::windowX, position.x);
    preferences->setValue (prefs::windowY, position.y);
    preferences->setValue (prefs::zoom, zoom);
    state->savePreferences (*preferences);
    preferences->setValue (prefs::tab, content->currentTab());
    content->preferencesClosing();

    preferences->getFile().getParentDirectory().createDirectory();
    if (! preferences->saveIfNeeded())
        juce::Logger::writeToLog ("Console - could not write preferences for " + device->uniqueName());
    preferences.reset();
}

void ConsoleWindow::setZoom (int percent)
{
    zoom = ConsoleZoom::valid (percent);
    holder->setScale ((float) (zoom / 100.0 / platformScale()));
    if (auto* page = content->getSettingsPage())
        page->showZoom (zoom);
    keepOnScreen();
}

void ConsoleWindow::stepZoom (int direction)
{
    setZoom (direction == 0 ? ConsoleZoom::normal : ConsoleZoom::step (zoom, direction));
}

double ConsoleWindow::platformScale() const
{
    // What the window's peer scales by: its display's scale over the program's own.
    auto& desktop = juce::Desktop::getInstance();
    if (auto* display = desktop.getDisplays().getDisplayForRect (getScreenBounds()))
        return juce::jmax (0.25, display->scale / (double) desktop.getGlobalScaleFactor());
    return 1.0;
}

juce::BorderSize<int> ConsoleWindow::frameSize() const
{
    if (auto* peer = getPeer())
        if (const auto frame = peer->getFrameSizeIfPresent())
            return *frame;
    return {};
}

juce::Rectangle<int> ConsoleWindow::screenArea() const
{
    if (! isOnDesktop())
        return {};
    if (auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForRect (getScreenBounds()))
        return display->userArea;
    return {};
}

void ConsoleWindow::keepOnScreen()
{
    const auto area = screenArea();
    if (area.isEmpty())
        return;
    const auto frame = frameSize();
    const auto outer = frame.addedTo (getBounds());
    const int x = juce::jmax (area.getX(), juce::jmin (outer.getX(), area.getRight() - outer.getWidth()));
    const int y = juce::jmax (area.getY(), juce::jmin (outer.getY(), area.getBottom() - outer.getHeight()));
    if (x != outer.getX() || y != outer.getY())
        setTopLeftPosition (x + frame.getLeft(), y + frame.getTop());
}

//==============================================================================

void ConsoleWindow::deviceRemoved()
{
    content->deviceRemoved();
}

void ConsoleWindow::closeButtonPressed()
{
    if (! isEnabled() || closing)
        return;

    closing = true;
    savePreferences();
    setVisible (false);
    content->stopHardwareThread();
}

void ConsoleWindow::closeWhenFree()
{
    closeAsked = true;
    closeButtonPressed();
}

void ConsoleWindow::enablementChanged()
{
    juce::DocumentWindow::enablementChanged();
    if (closeAsked)
        closeButtonPressed();
}

void ConsoleWindow::activeWindowStatusChanged()
{
    OnDemandPainter::attachTo (*this);
    if (isActiveWindow())
        content->windowActivated();
}

//==============================================================================
std::unique_ptr<FlashProgress> ConsoleWindow::createFlashProgress()
{
    return std::make_unique<FlashProgressWindow> (this, false, isOnDesktop());
}

void ConsoleWindow::hardwareThreadFinished()
{
    if (listener != nullptr)
        listener->postMessage (new WindowMessage (appmsg::windowFinished, this));
}

} // namespace arx
