#pragma once

#include "settings/SampleRateBase.h"
#include "settings/SettingsGroup.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace arx
{

class SampleRateLock;

// The sample rate buttons, two to a row. On Vista and later they choose the audio driver's rate
// ("Core Audio sample rate"); before Vista they set the device's clock rate, and a "Locked"
// toggle below them keeps the driver's rate locked.
//
// Threads: get() and set() on the hardware thread; everything else on the message thread.
class SampleRate : public SettingsGroup, public SampleRateBase, private juce::Button::Listener
{
public:
    static constexpr int radioGroup = 0x72617465;
    static constexpr std::array<uint32_t, 7> candidateRates { 32000, 44100, 48000, 88200, 96000, 176400, 192000 };

    // `rateShown` runs after the buttons showed a rate (the buffer size text follows the rate);
    // `rateChosenOnVista` runs when the user picked a rate on Vista and later.
    SampleRate (DeviceControlHost& host, bool vistaOrLater, std::function<void()> rateShown,
                std::function<void()> rateChosenOnVista);
    ~SampleRate() override;

    void get() override;
    void set() override;
    void refresh (ConsoleState& state, bool markAll) override;
    void store (ConsoleState&) override {}
    void reset() override {}

    // Before Vista: reads the device's rate again when the driver runs at another one and no
    // change of the user's is on its way.
    void update() override;

    void handleCommandMessage (int) override;

    int rateCount() const noexcept { return int (rates.size()); }
    uint32_t rateAt (int index) const { return rates.at (size_t (index)).rate; }
    juce::ToggleButton& buttonAt (int index) { return *rates.at (size_t (index)).button; }
    // Null on Vista and later.
    SampleRateLock* getLock() noexcept { return lock.get(); }
    bool isChangePending() const noexcept { return changePending.load(); }
    // Whether a session load whose image holds `rate` sends it: before Vista, a rate the device
    // offers (on Vista the driver's rate is the user's choice, which no session holds).
    bool sendsLoadedRate (uint32_t rate) const { return ! vista && isOffered (rate); }

private:
    struct Rate
    {
        std::unique_ptr<juce::ToggleButton> button;
        uint32_t rate = 0;
    };

    void buttonClicked (juce::Button*) override;
    uint32_t shownRate() const;
    // One of the buttons' rates: a rate the device offers.
    bool isOffered (uint32_t rate) const;

    const bool vista;
    std::vector<Rate> rates;
    std::unique_ptr<SampleRateLock> lock;
    std::atomic<bool> changePending { false };
    std::function<void()> onRateShown, onRateChosenOnVista;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SampleRate)
};

} // namespace arx
