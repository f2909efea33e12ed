#pragma once

#include "settings/SettingsGroup.h"

#include <atomic>
#include <functional>

namespace arx
{

// The guitar's mode on the settings page: live mode, hex mode or charging, whether it charges
// by itself, and a few sentences on what it does now. Shown only while a guitar is connected.
// The buttons follow the device's status bits, not the click: a click changes the console state
// and queues the set, and the first status poll a second after it shows what the guitar did.
//
// Threads: get() and set() on the hardware thread; everything else on the message thread.
// A change of the user's made before a get's answer came wins over the answer (DeviceControl's
// commitEdit and takeRead).
class GuitarInputMode : public SettingsGroup, private juce::Button::Listener, private juce::ComboBox::Listener
{
public:
    // Status bits of the meter poll
    static constexpr uint32_t statusCharging = 1u << 29;
    static constexpr uint32_t statusConnected = 1u << 30;
    static constexpr uint32_t statusHexMode = 1u << 31;
    static constexpr uint32_t statusMask = statusCharging | statusConnected | statusHexMode;

    static constexpr int radioGroup = 0x6774726D;
    static constexpr int comboAfterFiveMinutes = 5;
    static constexpr int comboNever = -1;
    static constexpr int userChangeSettleMs = 1000;
    static constexpr int controlDelayMs = 100, controlDelaySteps = 5;

    using Clock = std::function<juce::uint32()>;

    // Builds the panel hidden into `parent` and reads the guitar's charge settings.
    GuitarInputMode (DeviceControlHost& host, juce::Component& parent);
    ~GuitarInputMode() override;

    void get() override;
    void set() override;
    void refresh (ConsoleState& state, bool markAll) override;
    void store (ConsoleState&) override {}
    void reset() override;

    // Shows the charge choice of the console state.
    void handleCommandMessage (int) override;

    // After every good status poll, with the poll's status bits.
    void updateFromStatus (uint32_t statusBits);

    // The milliseconds that the one-second rule counts; the system's counter by default.
    void setClock (Clock clock) { now = std::move (clock); }

    void paint (juce::Graphics&) override;

    const juce::String& getExplanation() const noexcept { return explanation; }
    bool isChargingNow() const;
    juce::ToggleButton& getLiveButton() noexcept { return live; }
    juce::ToggleButton& getHexButton() noexcept { return hex; }
    juce::ToggleButton& getChargingButton() noexcept { return charging; }
    juce::ComboBox& getChargeCombo() noexcept { return chargeCombo; }

private:
    void buttonClicked (juce::Button*) override;
    void comboBoxChanged (juce::ComboBox*) override;
    // Makes `change` to the values the set sends and queues the set, as one edit.
    void userChanged (const std::function<void()>& change);
    void rebuildExplanation();
    juce::ToggleButton& modeButtonOfState();

    juce::ToggleButton charging { "Charging" }, live { "Live mode" }, hex { "Hex mode" };
    juce::ComboBox chargeCombo { "charging" };
    juce::Label chargeLabel { "charge", "Automatically charge the guitar:" };
    juce::uint32 lastUserChange = 0;
    uint32_t lastStatus = 0xFFFFFFFF;
    uint32_t latestStatus = 0; // of the last poll, shown or not
    std::atomic<bool> chargingNow { false };
    juce::String explanation;
    Clock now;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GuitarInputMode)
};

} // namespace arx
