#pragma once

#include "mixer/TabBar.h"
#include "mixer/widgets/ActivityLight.h"

#include <memory>
#include <vector>

namespace arx
{

class HardwareInfo;

// The console's tab bar: a tab per output pair, named after its output group ("ANALOG 1-2 OUT",
// "HEADPHONES", ...), with two activity lights for its outputs, and "SETTINGS" last. When the
// pair tabs are too narrow for their names the bar is compact: only the selected pair tab is
// wide enough for its name, the others show a short one ("A 1-2", "H"). A tab is chosen when
// the mouse button is released over it.
//
// Threads: message thread only.
class ConsoleTabBar : public TabBar
{
public:
    static constexpr int barHeight = 30;
    static constexpr int pairTextOffset = -16; // room for the lights
    static constexpr int settingsWidth = 80;
    static constexpr int compactSelectedWidth = 130;
    static constexpr int compactWidth = 60;
    static constexpr int lightSize = 5;

    struct Tab
    {
        juce::String longText, shortText;
        int x = 0, width = 0, textOffset = 0;
    };

    // Tabs for the device's outputs, laid out over `width` pixels; the first pair tab (or the
    // settings tab when there is no pair) is selected. Placed at the top left of its parent.
    ConsoleTabBar (TabBarHost& host, const HardwareInfo* info, int width);
    ~ConsoleTabBar() override;

    void setCurrentTab (int tab) override;
    int currentTab() const override;
    void refreshLights() override;

    // The host showed a page of its own accord: its tab (a pair tab, or -1) becomes the selected
    // one without the page being selected again.
    void showSelected (int tab);

    int getNumTabs() const noexcept { return (int) tabs.size(); }
    int getNumPairTabs() const noexcept { return getNumTabs() - 1; }
    const Tab& getTab (int index) const { return tabs.at ((size_t) index); }
    int getSelectedIndex() const noexcept { return selected; }
    bool isCompact() const noexcept { return compact; }
    int getNumLights() const noexcept { return (int) lights.size(); }
    ActivityLight& getLight (int i) const { return *lights.at ((size_t) i); }

    // The tab whose columns hold x, or -1.
    int tabAt (int x) const noexcept;

    // Where the tabs end at their widest (whichever tab is selected): the row is free after it.
    int freeStart() const noexcept;

    void mouseUp (const juce::MouseEvent&) override;
    void mouseMove (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;

private:
    void buildTabs (const HardwareInfo* info, int width);
    void select (int index);
    void layOut();

    TabBarHost& host;
    int selected = 0;
    bool compact = false;
    std::vector<Tab> tabs;
    std::vector<std::unique_ptr<ActivityLight>> lights;
    int hovered = -1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleTabBar)
};

} // namespace arx
