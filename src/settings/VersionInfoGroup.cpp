#include "settings/VersionInfoGroup.h"

#include "platform/FileVersion.h"

namespace arx
{
namespace
{
constexpr int firstRowY = 20;
constexpr int rowStep = 22;
const char* const asioDriverFile = "ASIOBrioFireWire.dll";
} // namespace

VersionInfoGroup::VersionInfoGroup (Device& device) : juce::GroupComponent ("versions", "Version information")
{
    setSize (width, height);

    addRow ("WDM driver", driverVersionText (device.driverVersion()));

    const auto& info = device.info();
    juce::String systemDirectory;
    const bool haveSystem = platform::getSystemDirectory (systemDirectory);
    auto filled = [haveSystem] (const juce::String& value) { return haveSystem ? value : juce::String(); };

    addRow ("ASIO driver", filled (fileVersionOf (juce::File (systemDirectory).getChildFile (asioDriverFile).getFullPathName())));
    addRow ("Console", filled (fileVersionOf (juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName())));
    addRow ("ARM firmware", filled (HardwareInfo::versionText (info.armVersion())));
    if (info.hasFpga())
        addRow ("FPGA", filled (HardwareInfo::versionText (info.fpgaVersion())));
    else
        addRow ("DSP firmware", filled (HardwareInfo::versionText (info.dspVersion())));
}

void VersionInfoGroup::addRow (const juce::String& name, const juce::String& value)
{
    const int y = firstRowY + rowStep * rows.size();
    rows.add ({ name, value });

    const juce::Font font (14.0f, juce::Font::bold);
    auto* left = labels.add (new juce::Label ("version L", name));
    left->setFont (font);
    left->setBounds (26, y, 100, 20);
    auto* right = labels.add (new juce::Label ("version R", value));
    right->setFont (font);
    right->setBounds (136, y, 70, 20);
    addAndMakeVisible (left);
    addAndMakeVisible (right);
}

juce::String VersionInfoGroup::clipboardText() const
{
    juce::String lines;
    for (auto& row : rows)
        lines << row.name << " " << row.value << "\r\n";
    return lines;
}

juce::String VersionInfoGroup::driverVersionText (uint32_t word)
{
    auto version = juce::String::formatted ("%d.%d", (int) (word >> 24), (int) ((word >> 16) & 0xFF));
    if (const auto third = (word >> 8) & 0xFF; third != 0)
        version << "." << (int) third;
    if (const auto fourth = word & 0xFF; fourth != 0)
        version << "." << (int) fourth;
    return version;
}

juce::String VersionInfoGroup::fileVersionText (uint32_t mostSignificant, uint32_t leastSignificant)
{
    auto version = juce::String::formatted ("%u.%u", (unsigned) (mostSignificant >> 16), (unsigned) (mostSignificant & 0xFFFF));
    if (leastSignificant > 65535)
        version << "." << (int) (leastSignificant >> 16);
    if (const auto low = leastSignificant & 0xFFFF; low != 0)
        version << "." << (int) low;
    return version;
}

juce::String VersionInfoGroup::fileVersionOf (const juce::String& path)
{
    uint32_t ms = 0, ls = 0;
    if (! platform::getFileVersion (path, ms, ls))
        return {};
    return fileVersionText (ms, ls);
}

} // namespace arx
