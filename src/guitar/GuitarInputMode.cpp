#include "guitar/GuitarInputMode.h"

#include "console/ConsoleState.h"
#include "device/Device.h"

namespace arx
{

namespace
{
constexpr uint32_t hexFlag = SessionImage::flagGuitarHexMode;
constexpr uint32_t liveControl = 0, hexControl = 2;
constexpr int buttonWidth = 100, buttonHeight = 22, buttonCentreY = 36;

const juce::Colour textColour = juce::Colour::greyLevel (0.9f);
const juce::Colour automaticChargingOnColour = juce::Colour (0, 0, 255);
} // namespace

GuitarInputMode::GuitarInputMode (DeviceControlHost& host, juce::Component& parent)
    : SettingsGroup (host, "guitar mode", "Guitar mode"), now ([] { return juce::Time::getMillisecondCounter(); })
{
    setSize (400, 250);

    const int w = getWidth();
    const int m = (w - 300) / 4;
    const std::pair<juce::ToggleButton*, int> placed[] = { { &live, m + 50 }, { &hex, w / 2 }, { &charging, w - m - 50 } };
    for (auto [button, centreX] : placed)
    {
        button->setSize (buttonWidth, buttonHeight);
        button->setCentrePosition (centreX, buttonCentreY);
        button->setRadioGroupId (radioGroup);
        button->addListener (this);
        addAndMakeVisible (*button);
    }
    live.setToggleState (true, juce::dontSendNotification);

    chargeCombo.setBounds (228, 60, 140, 20);
    chargeCombo.addItem ("After five minutes", comboAfterFiveMinutes);
    chargeCombo.addItem ("Never", comboNever);
    chargeCombo.addListener (this);
    addAndMakeVisible (chargeCombo);

    chargeLabel.setBounds (0, 60, chargeCombo.getX() - 5, 20);
    chargeLabel.setJustificationType (juce::Justification::centredRight);
    chargeLabel.setColour (juce::Label::textColourId, textColour);
    chargeLabel.setFont (chargeLabel.getFont().boldened().withHeight (12.5f));
    addAndMakeVisible (chargeLabel);

    parent.addChildComponent (*this);
    getThread().queueGet (*this);
}

GuitarInputMode::~GuitarInputMode()
{
    for (auto* b : { &charging, &live, &hex })
        b->removeListener (this);
    chargeCombo.removeListener (this);
}

//==============================================================================
bool GuitarInputMode::isChargingNow() const
{
    return chargingNow.load();
}

void GuitarInputMode::get()
{
    const auto editsBefore = editCount();
    bool nowCharging = chargingNow.load();
    bool autoCharge = false;
    uint32_t delay = 0;
    const int code = device().getGuitarState (nowCharging, autoCharge, delay);
    takeRead (editsBefore, [&] {
        chargingNow = nowCharging;
        if (code == Device::resultOk)
            state().setGuitarSetting (autoCharge, delay);
    });
    onGetResult (code, this);
}

void GuitarInputMode::set()
{
    const bool charge = isChargingNow();
    const int code = device().setGuitarState (charge, state().guitarEnabled(), state().guitarSetting());
    onSetResult (code);
    if (code != Device::resultOk || charge)
        return;

    // The guitar takes its mode only once it has left charging.
    for (int i = 0; i < controlDelaySteps && ! getThread().threadShouldExit(); ++i)
        juce::Thread::sleep (controlDelayMs);

    onSetResult (device().setGuitarControl (state().testFlags (hexFlag) ? hexControl : liveControl));
}

void GuitarInputMode::refresh (ConsoleState& consoleState, bool)
{
    state().setGuitarSetting (consoleState.guitarEnabled(), consoleState.guitarSetting());
    handleCommandMessage (0);
}

void GuitarInputMode::reset()
{
    state().setGuitarSetting (true, ConsoleState::defaultGuitarDelay);
    state().clearFlags (hexFlag);
    handleCommandMessage (0);
}

void GuitarInputMode::handleCommandMessage (int)
{
    chargeCombo.setSelectedId (state().guitarEnabled() ? comboAfterFiveMinutes : comboNever, juce::dontSendNotification);
}

//==============================================================================
void GuitarInputMode::updateFromStatus (uint32_t statusBits)
{
    latestStatus = statusBits;
    const auto bits = statusBits & statusMask;
    if (bits == lastStatus)
        return;

    // The user's change is still on its way to the device.
    if (lastUserChange != 0 && now() - lastUserChange < juce::uint32 (userChangeSettleMs))
        return;

    if ((bits & statusConnected) == 0)
    {
        setVisible (false);
        lastStatus = bits;
        rebuildExplanation();
        return;
    }

    setVisible (true);
    for (auto* b : { &charging, &live, &hex })
        b->setToggleState (false, juce::dontSendNotification);

    if ((bits & statusCharging) != 0)
    {
        charging.setToggleState (true, juce::dontSendNotification);
        lastStatus = bits;
        rebuildExplanation();
        return;
    }

    if ((bits & statusHexMode) != 0)
    {
        state().setFlags (hexFlag);
        hex.setToggleState (true, juce::dontSendNotification);
    }
    else
    {
        state().clearFlags (hexFlag);
        live.setToggleState (true, juce::dontSendNotification);
    }

    handleCommandMessage (0);
    lastStatus = bits;
    rebuildExplanation();
}

juce::ToggleButton& GuitarInputMode::modeButtonOfState()
{
    return state().testFlags (hexFlag) ? hex : live;
}

void GuitarInputMode::rebuildExplanation()
{
    const auto defaultOff = juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::TextButton::buttonColourId);
    const auto on = charging.getLookAndFeel().findColour (juce::TextButton::buttonOnColourId);
    live.setColour (juce::TextButton::buttonColourId, defaultOff);
    hex.setColour (juce::TextButton::buttonColourId, defaultOff);
    charging.setColour (juce::TextButton::buttonOnColourId, on);

    if ((lastStatus & statusCharging) != 0)
    {
        explanation = "The guitar is charging.   The blend knob will work normally.\n\n";
        if (isChargingNow())
        {
            explanation += "To stop charging, click on Live Mode or Hex Mode.";
        }
        else
        {
            explanation += "To stop charging, strum the guitar or click on Live Mode or Hex Mode.";
            // Charging by itself: the mode it returns to shows faintly.
            modeButtonOfState().setColour (juce::TextButton::buttonColourId, on.withAlpha (0.35f));
            charging.setColour (juce::TextButton::buttonOnColourId, automaticChargingOnColour);
        }
    }
    else
    {
        explanation = hex.getToggleState() ? "The guitar is in hex mode.  The blend knob is bypassed."
                                           : "The guitar is in stereo live mode.  The blend knob will work normally.";
        explanation += state().guitarEnabled() ? "\n\nThe guitar will start charging five minutes after you stop playing."
                                               : "\n\nThe guitar will not automatically charge.";
        explanation += "\n\nYou can also change between Live Mode and Hex Mode by turning the DVX to the | symbol "
                       "and pressing the DVX.";
    }

    repaint();
}

void GuitarInputMode::paint (juce::Graphics& g)
{
    SettingsGroup::paint (g);

    g.setFont (g.getCurrentFont().boldened());
    g.setColour (textColour);
    g.drawMultiLineText (explanation, getWidth() / 8, 115, 3 * getWidth() / 4);
}

//==============================================================================
void GuitarInputMode::buttonClicked (juce::Button* clicked)
{
    // A radio group also reports the buttons it turns off.
    if (! clicked->getToggleState())
        return;

    if (clicked == &charging)
    {
        userChanged ([this] { chargingNow = charging.getToggleState(); });
        return;
    }

    const bool wantHex = clicked == &hex;
    const bool guitarCharging = (latestStatus & statusCharging) != 0;
    if (state().testFlags (hexFlag) == wantHex && ! guitarCharging)
        return;

    userChanged ([this, wantHex] {
        chargingNow = false;
        if (wantHex)
            state().setFlags (hexFlag);
        else
            state().clearFlags (hexFlag);
    });
}

void GuitarInputMode::comboBoxChanged (juce::ComboBox*)
{
    const int choice = chargeCombo.getSelectedId();
    userChanged ([this, choice] {
        if (choice == comboNever)
            state().setGuitarSetting (false, state().guitarSetting());
        else if (choice == comboAfterFiveMinutes)
            state().setGuitarSetting (true, ConsoleState::defaultGuitarDelay);
    });
}

void GuitarInputMode::userChanged (const std::function<void()>& change)
{
    commitEdit (change);

    // 0 would read as "no change yet".
    lastUserChange = juce::jmax (juce::uint32 (1), now());
    lastStatus = 0xFFFFFFFF;
    explanation.clear();
    repaint();
}

} // namespace arx
