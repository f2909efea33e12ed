#pragma once

// The About box's "Version information" group: the versions of the driver, the ASIO driver,
// the console itself and the device's firmware, one row each, names left and values right.
//
// Threads: message thread.

#include "device/Device.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

class VersionInfoGroup : public juce::GroupComponent
{
public:
    static constexpr int width = 220;
    static constexpr int height = 170;

    struct Row
    {
        juce::String name, value;
    };

    // Reads the versions now: the driver's through the device, which must be open.
    explicit VersionInfoGroup (Device& device);

    const juce::Array<Row>& getRows() const noexcept { return rows; }

    // Every row as "name value\r\n", as it goes to the clipboard.
    juce::String clipboardText() const;

    // "major.minor", then the third and fourth byte where they are not zero.
    static juce::String driverVersionText (uint32_t word);
    // A file version's two words: "a.b", then ".c" when the low word is above 65535, then ".d"
    // when d is not zero.
    static juce::String fileVersionText (uint32_t mostSignificant, uint32_t leastSignificant);
    // The file version of a file, empty when it has none.
    static juce::String fileVersionOf (const juce::String& path);

private:
    void addRow (const juce::String& name, const juce::String& value);

    juce::Array<Row> rows;
    juce::OwnedArray<juce::Label> labels;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VersionInfoGroup)
};

} // namespace arx
