#include "mixer/strips/InputNameLabel.h"

#include "console/ConsoleState.h"
#include "device/HardwareInfo.h"

namespace arx
{

namespace
{
constexpr int stringKind = 9;
} // namespace

InputNameLabel::InputNameLabel (ConsoleState& consoleState, int inputIndex) : state (consoleState), input (inputIndex) {}

juce::String InputNameLabel::defaultName (const HardwareInfo* info, int input)
{
    if (info == nullptr || info->inputGroupOf (input) == HardwareInfo::unmapped)
        return "In " + juce::String (input + 1);

    const int group = info->inputGroupOf (input);
    const int k = info->inputIndexInGroup (input);
    if (info->inputGroupChannels (group) < 2)
        return info->inputGroupName (group);

    if (info->inputKind (input) != stringKind)
        return "In " + info->inputGroupShortName (group) + juce::String (k + 1);

    static const char* const strings[] = { "Low E", "A", "D", "G", "B", "High E" };
    return k < 6 ? juce::String (strings[k]) : juce::String::formatted ("String%d", k + 1);
}

void InputNameLabel::updateText()
{
    // The default name is shown, not stored: the device's session would otherwise change (and
    // be written back to its flash) on every first close although the user changed nothing.
    auto name = state.inputAlias (input);
    if (name.isEmpty())
        name = defaultName (state.info(), input);
    setText (name, juce::dontSendNotification);
}

void InputNameLabel::resetName()
{
    state.setInputAlias (input, {});
}

juce::String InputNameLabel::storeName (const juce::String& text)
{
    state.setInputAlias (input, text);
    return state.inputAlias (input);
}

} // namespace arx
