#include "mixer/ConsoleTabBar.h"

#include "console/ConsoleState.h"
#include "device/HardwareInfo.h"

namespace arx
{

namespace
{
constexpr int firstX = 3;
constexpr int widthReserve = 86;
constexpr int narrowestFullWidth = 115;
constexpr int widestWidth = 140;
constexpr int headphonesKind = 5, noSuffixKind = 6;
constexpr int lightGap = 1;
constexpr float fontHeight = 13.0f;
constexpr float cornerSize = 8.0f;
constexpr float minimumScale = 0.7f;

juce::Colour grey (float level)
{
    const auto v = (juce::uint8) juce::roundToInt (level * 255.0f);
    return juce::Colour (v, v, v);
}

// The long and short texts of the pair tab of outputs o and o + 1.
std::pair<juce::String, juce::String> pairTexts (const HardwareInfo& info, int o, bool single)
{
    const int g = info.outputGroupOf (o);
    const int k = info.outputIndexInGroup (o);
    const int channels = info.outputGroupChannels (g);
    const auto numbers = juce::String::formatted (" %d-%d", k + 1, k + 2);

    auto range = channels < 3 ? juce::String() : numbers;
    const int kind = info.outputKind (o);
    if (kind != headphonesKind && kind != noSuffixKind && ! single)
        range << " OUT";

    const auto group = single ? juce::String ("OUTPUTS") : info.outputGroupName (g).toUpperCase();
    const auto shortText = single ? juce::String::formatted ("%d-%d", o + 1, o + 2)
                                  : info.outputGroupShortName (g).toUpperCase() + (channels > 2 ? numbers : juce::String());
    return { group + range, shortText };
}
} // namespace

ConsoleTabBar::ConsoleTabBar (TabBarHost& tabHost, const HardwareInfo* info, int width) : host (tabHost)
{
    setBounds (0, 0, width, barHeight);
    setOpaque (true);
    setRepaintsOnMouseActivity (true);
    buildTabs (info, width);

    for (int t = 0; t < getNumPairTabs(); ++t)
        for (int side = 0; side < 2; ++side)
        {
            lights.push_back (std::make_unique<ActivityLight>());
            lights.back()->setSize (lightSize, lightSize);
            addAndMakeVisible (*lights.back());
        }
    layOut();
}

ConsoleTabBar::~ConsoleTabBar() = default;

void ConsoleTabBar::buildTabs (const HardwareInfo* info, int width)
{
    const int outputs = info != nullptr ? ConsoleState::clampChannelCount (info->outputCount()) : 0;
    const int pairs = outputs / 2;
    const bool single = info != nullptr && info->outputGroupCount() == 1;

    // Without a pair there is nothing to share the width among.
    int w = pairs > 0 ? (width - widthReserve) / pairs : 0;
    compact = pairs > 0 && w < narrowestFullWidth;
    w = compact ? compactSelectedWidth : juce::jmin (w, widestWidth);

    int x = firstX;
    for (int o = 0; o + 1 < outputs; o += 2)
    {
        auto [longText, shortText] = pairTexts (*info, o, single);
        tabs.push_back ({ longText, compact ? shortText : longText, x, w, pairTextOffset });
        x += w;
        if (compact)
            w = compactWidth;
    }
    tabs.push_back ({ "SETTINGS", "SETTINGS", x, settingsWidth, 0 });
}

int ConsoleTabBar::freeStart() const noexcept
{
    if (! compact)
        return tabs.back().x + settingsWidth;
    return firstX + compactSelectedWidth + (getNumPairTabs() - 1) * compactWidth + settingsWidth;
}

//==============================================================================
void ConsoleTabBar::setCurrentTab (int tab)
{
    const int last = getNumTabs() - 1;
    const int chosen = tab < last ? tab : 0;
    select (chosen >= 0 ? chosen : last);
}

int ConsoleTabBar::currentTab() const
{
    return selected == getNumTabs() - 1 ? -1 : selected;
}

void ConsoleTabBar::showSelected (int tab)
{
    const int index = (tab >= 0 && tab < getNumPairTabs()) ? tab : getNumTabs() - 1;
    if (index == selected)
        return;
    selected = index;
    layOut();
    repaint();
}

void ConsoleTabBar::select (int index)
{
    if (index == selected || index < 0 || index >= getNumTabs())
        return;
    const int tab = index == getNumTabs() - 1 ? -1 : index;
    showSelected (tab);
    host.selectPage (tab < 0 ? -1 : 2 * tab);
}

void ConsoleTabBar::layOut()
{
    if (compact)
    {
        int x = firstX;
        for (int j = 0; j < getNumPairTabs(); ++j)
        {
            auto& tab = tabs[(size_t) j];
            tab.x = x;
            tab.width = j == selected ? compactSelectedWidth : compactWidth;
            x += tab.width;
        }
        tabs.back().x = x;
        tabs.back().width = settingsWidth;
    }

    const int y = (barHeight - lightSize) / 2 + 1;
    for (int t = 0; t < getNumPairTabs(); ++t)
    {
        const auto& tab = tabs[(size_t) t];
        const int x = tab.x + tab.width - (2 * lightSize + 6);
        lights[(size_t) (2 * t)]->setTopLeftPosition (x, y);
        lights[(size_t) (2 * t + 1)]->setTopLeftPosition (x + lightSize + lightGap, y);
    }
}

void ConsoleTabBar::refreshLights()
{
    for (int i = 0; i < getNumLights(); ++i)
        lights[(size_t) i]->setLevel (host.outputLevel (i));
}

int ConsoleTabBar::tabAt (int x) const noexcept
{
    for (int i = 0; i < getNumTabs(); ++i)
        if (x >= tabs[(size_t) i].x && x < tabs[(size_t) i].x + tabs[(size_t) i].width)
            return i;
    return -1;
}

//==============================================================================
void ConsoleTabBar::mouseUp (const juce::MouseEvent& e)
{
    if (e.y < 0 || e.y >= getHeight())
        return;
    if (const int index = tabAt (e.x); index >= 0)
        select (index);
}

void ConsoleTabBar::mouseMove (const juce::MouseEvent& e)
{
    if (const int now = tabAt (e.x); now != hovered)
    {
        hovered = now;
        repaint();
    }
}

void ConsoleTabBar::paint (juce::Graphics& g)
{
    const auto h = (float) getHeight();
    g.setFont (juce::Font (fontHeight, juce::Font::bold));
    g.fillAll (juce::Colours::black);

    const bool over = isMouseOver();
    const int mouseX = over ? getMouseXYRelative().x : -1;
    for (int i = 0; i < getNumTabs(); ++i)
    {
        const auto& tab = tabs[(size_t) i];
        const juce::Rectangle<float> shape ((float) tab.x, 4.0f, (float) tab.width, h + 8.0f);
        g.setColour (juce::Colour (15, 15, 15));
        g.fillRoundedRectangle (shape, cornerSize);

        auto outline = grey (0.4f);
        auto text = juce::Colour (146, 146, 146);
        float thickness = 1.5f;
        auto label = tab.shortText;
        if (i == selected)
        {
            outline = grey (0.7f);
            text = juce::Colours::white;
            thickness = 2.0f;
            label = tab.longText;
        }
        else if (over && mouseX >= tab.x && mouseX < tab.x + tab.width)
        {
            outline = grey (isMouseButtonDown() ? 0.8f : 0.6f);
        }

        g.setColour (outline);
        g.drawRoundedRectangle (shape, cornerSize, thickness);
        g.setColour (text);
        g.drawFittedText (label, tab.x, 2, tab.width + tab.textOffset, getHeight() - 2, juce::Justification::centred, 1,
                          minimumScale);
    }

    const auto& current = tabs[(size_t) selected];
    g.setColour (grey (0.7f));
    g.drawLine (0.0f, h - 1.0f, (float) current.x, h - 1.0f, 2.0f);
    g.drawLine ((float) (current.x + current.width), h - 1.0f, (float) getWidth(), h - 1.0f, 2.0f);
}

} // namespace arx
