#pragma once

#include "settings/SettingsGroup.h"

#include <atomic>

namespace arx
{

// The S/PDIF output format: consumer or professional (device flag bit 1).
//
// Threads: get() and set() on the hardware thread, store() on the thread that queues the set;
// everything else on the message thread.
class SpdifFormat : public SettingsGroup, private juce::Button::Listener
{
public:
    static constexpr int radioGroup = 0x73706466;

    explicit SpdifFormat (DeviceControlHost& host);
    ~SpdifFormat() override;

    void get() override;
    void set() override;
    void refresh (ConsoleState& state, bool markAll) override;
    void store (ConsoleState& state) override;
    void reset() override;

    void handleCommandMessage (int) override;

    bool isProfessional() const noexcept { return professional.load(); }
    juce::ToggleButton& getConsumerButton() noexcept { return consumer; }
    juce::ToggleButton& getProfessionalButton() noexcept { return pro; }

private:
    void buttonClicked (juce::Button*) override;

    std::atomic<bool> professional { false };
    juce::ToggleButton consumer { "Consumer" }, pro { "Professional" };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SpdifFormat)
};

} // namespace arx
