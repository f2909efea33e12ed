#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>

namespace arx
{

// What the tab bar drives and shows: the content's pages and the outputs' levels.
//
// Threads: message thread.
class TabBarHost
{
public:
    virtual ~TabBarHost() = default;

    // bank >= 0: the mixer page at output pair bank / 2; bank < 0: the settings page.
    virtual void selectPage (int bank) = 0;

    // Output o's level in the last meter reply.
    virtual uint32_t outputLevel (int output) const = 0;
};

// The bar across the top of a console window, "top tab bar": one tab per output pair and the
// settings tab.
//
// Threads: message thread only.
class TabBar : public juce::Component
{
public:
    TabBar() : juce::Component ("top tab bar") {}

    // A pair tab; a negative tab, or none when the device has no pair, is the settings tab; a
    // tab past the last pair is the first.
    virtual void setCurrentTab (int tab) = 0;
    // The selected pair tab, or -1 for the settings tab.
    virtual int currentTab() const = 0;
    // The activity lights show the outputs' levels of the last meter reply.
    virtual void refreshLights() = 0;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TabBar)
};

} // namespace arx
