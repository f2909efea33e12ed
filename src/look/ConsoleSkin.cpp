#include "look/ConsoleSkin.h"

#include "look/ConsoleLookAndFeel.h"

#include <ArxSkinData.h>

#include <map>

namespace arx
{

namespace
{
struct Embedded
{
    const char* data;
    int size;
};

Embedded embedded (SkinImage image)
{
    switch (image)
    {
        case SkinImage::inputStrip: return { ArxSkin::input_strip_png, ArxSkin::input_strip_pngSize };
        case SkinImage::playbackColumn: return { ArxSkin::playback_column_png, ArxSkin::playback_column_pngSize };
        case SkinImage::outputColumn: return { ArxSkin::output_column_png, ArxSkin::output_column_pngSize };
        case SkinImage::logo: return { ArxSkin::logo_png, ArxSkin::logo_pngSize };
        case SkinImage::warningPanel: return { ArxSkin::warning_panel_png, ArxSkin::warning_panel_pngSize };
        case SkinImage::soloLight: return { ArxSkin::solo_light_png, ArxSkin::solo_light_pngSize };
        case SkinImage::meterLit: return { ArxSkin::meter_lit_png, ArxSkin::meter_lit_pngSize };
        case SkinImage::meterUnlit: return { ArxSkin::meter_unlit_png, ArxSkin::meter_unlit_pngSize };
        case SkinImage::faderTrack: return { ArxSkin::fader_track_png, ArxSkin::fader_track_pngSize };
        case SkinImage::faderCap: return { ArxSkin::fader_cap_png, ArxSkin::fader_cap_pngSize };
        case SkinImage::knobFilmstrip: return { ArxSkin::knob_filmstrip_png, ArxSkin::knob_filmstrip_pngSize };
        case SkinImage::activityLights: return { ArxSkin::activity_lights_png, ArxSkin::activity_lights_pngSize };
        case SkinImage::aboutLogo: return { ArxSkin::about_logo_png, ArxSkin::about_logo_pngSize };
        case SkinImage::trayIcon: return { ArxSkin::tray_icon_png, ArxSkin::tray_icon_pngSize };
    }
    return { nullptr, 0 };
}

Embedded embeddedTwice (SkinImage image)
{
    switch (image)
    {
        case SkinImage::inputStrip: return { ArxSkin::input_strip_2x_png, ArxSkin::input_strip_2x_pngSize };
        case SkinImage::playbackColumn: return { ArxSkin::playback_column_2x_png, ArxSkin::playback_column_2x_pngSize };
        case SkinImage::outputColumn: return { ArxSkin::output_column_2x_png, ArxSkin::output_column_2x_pngSize };
        case SkinImage::logo: return { ArxSkin::logo_2x_png, ArxSkin::logo_2x_pngSize };
        case SkinImage::warningPanel: return { ArxSkin::warning_panel_2x_png, ArxSkin::warning_panel_2x_pngSize };
        case SkinImage::soloLight: return { ArxSkin::solo_light_2x_png, ArxSkin::solo_light_2x_pngSize };
        case SkinImage::meterLit: return { ArxSkin::meter_lit_2x_png, ArxSkin::meter_lit_2x_pngSize };
        case SkinImage::meterUnlit: return { ArxSkin::meter_unlit_2x_png, ArxSkin::meter_unlit_2x_pngSize };
        case SkinImage::faderTrack: return { ArxSkin::fader_track_2x_png, ArxSkin::fader_track_2x_pngSize };
        case SkinImage::faderCap: return { ArxSkin::fader_cap_2x_png, ArxSkin::fader_cap_2x_pngSize };
        case SkinImage::knobFilmstrip: return { ArxSkin::knob_filmstrip_2x_png, ArxSkin::knob_filmstrip_2x_pngSize };
        case SkinImage::activityLights: return { ArxSkin::activity_lights_2x_png, ArxSkin::activity_lights_2x_pngSize };
        case SkinImage::aboutLogo: return { ArxSkin::about_logo_2x_png, ArxSkin::about_logo_2x_pngSize };
        case SkinImage::trayIcon: break;
    }
    return { nullptr, 0 };
}

// Decoded once for every window of the run: JUCE's image cache would share them as well, but
// keeps a timer that wakes the program every two seconds for as long as it holds an image.
class DecodedImages : public juce::DeletedAtShutdown
{
public:
    ~DecodedImages() override { clearSingletonInstance(); }

    juce::Image get (SkinImage image, bool twiceSize)
    {
        auto& decoded = (twiceSize ? twice : once)[image];
        if (! decoded.isValid())
        {
            const auto e = twiceSize ? embeddedTwice (image) : embedded (image);
            if (e.data != nullptr)
                decoded = juce::ImageFileFormat::loadFrom (e.data, size_t (e.size));
        }
        return decoded;
    }

    JUCE_DECLARE_SINGLETON_SINGLETHREADED_MINIMAL (DecodedImages)

private:
    std::map<SkinImage, juce::Image> once, twice;
};

JUCE_IMPLEMENT_SINGLETON (DecodedImages)

// One button face painted at its own size now, and at twice that when a drawing first needs
// it (a zoom of 150% and up): `paint` is kept for then, so it holds copies, not references.
template <typename Paint>
SkinArt paintFace (int width, int height, Paint paint)
{
    juce::Image once (juce::Image::ARGB, width, height, true);
    {
        juce::Graphics g (once);
        paint (g);
    }
    return SkinArt (once, [width, height, paint] {
        juce::Image twice (juce::Image::ARGB, 2 * width, 2 * height, true);
        juce::Graphics g (twice);
        g.addTransform (juce::AffineTransform::scale (2.0f));
        paint (g);
        return twice;
    });
}

ButtonImages paintSessionImages (const juce::String& text)
{
    constexpr int w = 60, h = 25;
    ButtonImages set;
    set.off = paintFace (w, h, [=] (juce::Graphics& g) {
        ConsoleLookAndFeel::drawButtonFace (g, w, h, ConsoleLookAndFeel::buttonOffColour(),
                                            ConsoleLookAndFeel::buttonOffTextColour(), text);
    });
    set.down = paintFace (w, h, [=] (juce::Graphics& g) { ConsoleLookAndFeel::drawPressedFace (g, w, h, text); });
    return set;
}

// The painted button faces look the same in every window: painted when the first skin needs
// them, their pixels shared, kept until shut-down.
class PaintedButtons : public juce::DeletedAtShutdown
{
public:
    PaintedButtons()
        : load (paintSessionImages ("Load")), save (paintSessionImages ("Save")), reset (paintSessionImages ("Reset")),
          mute (ConsoleSkin::paintButtonSet (46, 19, "Mute", juce::Colour (200, 200, 0).withAlpha (0.25f),
                                             juce::Colour (0xFFFFFF00))),
          solo (ConsoleSkin::paintButtonSet (46, 19, "Solo", juce::Colour (200, 0, 0).withAlpha (0.25f),
                                             juce::Colour (0xFFFF0000))),
          gang (ConsoleSkin::paintButtonSet (44, 17, "Gang", juce::Colour (0, 200, 0).withAlpha (0.4f),
                                             juce::Colour (0, 255, 0)))
    {
    }
    ~PaintedButtons() override { clearSingletonInstance(); }

    const ButtonImages load, save, reset;
    const ButtonImages mute, solo, gang;

    JUCE_DECLARE_SINGLETON_SINGLETHREADED_MINIMAL (PaintedButtons)
};

JUCE_IMPLEMENT_SINGLETON (PaintedButtons)
} // namespace

//==============================================================================
ConsoleSkin::ConsoleSkin (Device::Ptr device) : dev (std::move (device))
{
    const int count = dev != nullptr ? dev->info().inputCount() : 0;
    if (count < 0 || count > maxInputs)
    {
        juce::Logger::writeToLog ("Skin: " + juce::String (count) + " inputs, laid out for "
                                  + juce::String (juce::jlimit (0, maxInputs, count)));
    }
    inputs = juce::jlimit (0, maxInputs, count);
    build();
}

ConsoleSkin::ConsoleSkin (int inputCount) : inputs (juce::jlimit (0, maxInputs, inputCount))
{
    build();
}

ConsoleSkin::~ConsoleSkin() = default;

void ConsoleSkin::build()
{
    inputStrip = SkinArt (SkinImage::inputStrip);
    knobFilmstrip = SkinArt (SkinImage::knobFilmstrip);

    const auto* buttons = PaintedButtons::getInstance();
    muteSet = buttons->mute;
    soloSet = buttons->solo;

    faderCap = SkinArt (SkinImage::faderCap);
    faderTrack = SkinArt (SkinImage::faderTrack);
    meterLit = SkinArt (SkinImage::meterLit);
    meterUnlit = SkinArt (SkinImage::meterUnlit);
    playbackColumn = SkinArt (SkinImage::playbackColumn);
    outputColumn = SkinArt (SkinImage::outputColumn);

    gangSet = buttons->gang;

    logo = SkinArt (SkinImage::logo);
    warningPanel = SkinArt (SkinImage::warningPanel);
    soloLight = SkinArt (SkinImage::soloLight);
}

juce::MemoryBlock ConsoleSkin::embeddedData (SkinImage image)
{
    const auto e = embedded (image);
    return e.data != nullptr ? juce::MemoryBlock (e.data, size_t (e.size)) : juce::MemoryBlock();
}

juce::Image ConsoleSkin::loadTwiceImage (SkinImage image)
{
    if (embeddedTwice (image).data == nullptr)
        return {};
    auto decoded = DecodedImages::getInstance()->get (image, true);
    if (! decoded.isValid())
        juce::Logger::writeToLog ("Skin: embedded 2x image " + juce::String (int (image)) + " does not decode");
    return decoded;
}

juce::Image ConsoleSkin::loadImage (SkinImage image)
{
    auto decoded = DecodedImages::getInstance()->get (image, false);
    if (! decoded.isValid())
    {
        juce::Logger::writeToLog ("Skin: embedded image " + juce::String (int (image)) + " does not decode");
    }
    return decoded;
}

const ButtonImages& ConsoleSkin::loadImages() { return PaintedButtons::getInstance()->load; }
const ButtonImages& ConsoleSkin::saveImages() { return PaintedButtons::getInstance()->save; }
const ButtonImages& ConsoleSkin::resetImages() { return PaintedButtons::getInstance()->reset; }

ButtonImages ConsoleSkin::paintButtonSet (int width, int height, const juce::String& text, juce::Colour onFace,
                                          juce::Colour onText)
{
    ButtonImages set;
    set.off = paintFace (width, height, [=] (juce::Graphics& g) {
        ConsoleLookAndFeel::drawButtonFace (g, width, height, ConsoleLookAndFeel::buttonOffColour(),
                                            ConsoleLookAndFeel::buttonOffTextColour(), text);
    });
    set.on = paintFace (width, height, [=] (juce::Graphics& g) {
        ConsoleLookAndFeel::drawButtonFace (g, width, height, onFace, onText, text);
    });
    set.down = paintFace (width, height,
                          [=] (juce::Graphics& g) { ConsoleLookAndFeel::drawPressedFace (g, width, height, text); });
    return set;
}

//============================================================================== layout
int ConsoleSkin::pageWidth() const noexcept
{
    return inputs * stripWidth() + playbackColumn.getWidth() + outputColumn.getWidth();
}

juce::Rectangle<int> ConsoleSkin::contentBounds() const
{
    return { 0, 0, pageWidth(), stripHeight() + headerHeight + tabBarHeight };
}

juce::Rectangle<int> ConsoleSkin::tabBarBounds() const { return { 0, 0, pageWidth(), tabBarHeight }; }

juce::Rectangle<int> ConsoleSkin::pageBounds() const
{
    return { 0, tabBarHeight, pageWidth(), stripHeight() + headerHeight };
}

juce::Rectangle<int> ConsoleSkin::inputStripBoxBounds() const
{
    return { 0, 0, inputs * stripWidth(), stripHeight() + headerHeight };
}

juce::Rectangle<int> ConsoleSkin::sessionBoxBounds() const
{
    return { logoBoxBounds().getX() - sessionBoxWidth, 0, sessionBoxWidth, sessionBoxHeight };
}

juce::Rectangle<int> ConsoleSkin::playbackHeaderBounds() const
{
    return { inputs * stripWidth(), sessionBoxHeight, playbackColumn.getWidth(), stripHeaderHeight };
}

juce::Rectangle<int> ConsoleSkin::playbackStripBoxBounds() const
{
    return { inputs * stripWidth(), sessionBoxHeight + stripHeaderHeight, playbackColumn.getWidth(),
             playbackColumn.getHeight() };
}

juce::Rectangle<int> ConsoleSkin::logoBoxBounds() const
{
    return { pageWidth() - logo.getWidth(), 0, logo.getWidth(), logo.getHeight() };
}

juce::Rectangle<int> ConsoleSkin::soloWarningBounds() const
{
    return { pageWidth() - warningPanel.getWidth(), logo.getHeight(), warningPanel.getWidth(), warningPanel.getHeight() };
}

juce::Rectangle<int> ConsoleSkin::spacerBounds() const
{
    const int top = logo.getHeight() + warningPanel.getHeight();
    return { inputs * stripWidth() + playbackColumn.getWidth(), top, outputColumn.getWidth(),
             juce::jmax (0, sessionBoxHeight - top) };
}

juce::Rectangle<int> ConsoleSkin::outputHeaderBounds() const
{
    return { inputs * stripWidth() + playbackColumn.getWidth(), sessionBoxHeight, outputColumn.getWidth(),
             stripHeaderHeight };
}

juce::Rectangle<int> ConsoleSkin::outputStripBoxBounds() const
{
    return { inputs * stripWidth() + playbackColumn.getWidth(), sessionBoxHeight + stripHeaderHeight,
             outputColumn.getWidth(), outputColumn.getHeight() };
}

juce::Rectangle<int> ConsoleSkin::inputHeaderBounds() const { return { 0, 0, inputs * stripWidth(), headerHeight }; }

juce::Rectangle<int> ConsoleSkin::inputStripBounds (int k) const
{
    return { k * stripWidth(), headerHeight, stripWidth(), stripHeight() };
}

juce::Rectangle<int> ConsoleSkin::sessionButtonBounds (int index) const
{
    const auto& load = loadImages().off;
    const auto& save = saveImages().off;
    const auto& reset = resetImages().off;
    const int x = (sessionBoxWidth - save.getWidth()) / 2;
    const int first = (sessionBoxHeight - 3 * load.getHeight()) / 2;
    switch (index)
    {
        case 0: return { x, first, load.getWidth(), load.getHeight() };
        case 1: return { x, first + load.getHeight(), save.getWidth(), save.getHeight() };
        case 2: return { x, first + load.getHeight() + save.getHeight(), reset.getWidth(), reset.getHeight() };
        default: return {};
    }
}

juce::Rectangle<int> ConsoleSkin::buttonInStrip (int q, int y) const
{
    return { stripWidth() * q + 7, y, muteSet.off.getWidth(), muteSet.off.getHeight() };
}

juce::Rectangle<int> ConsoleSkin::inputNumberLabelBounds() const { return { 3, 3, stripWidth() - 3, 12 }; }
juce::Rectangle<int> ConsoleSkin::inputNameLabelBounds() const { return { (stripWidth() - 48) / 2 + 2, 20, 48, 18 }; }

juce::Rectangle<int> ConsoleSkin::inputPanKnobBounds() const
{
    const int k = knobFilmstrip.getWidth();
    return { (stripWidth() - k) / 2 + 1, 76, k, 59 };
}

juce::Rectangle<int> ConsoleSkin::inputSoloBounds() const { return buttonInStrip (0, 140); }
juce::Rectangle<int> ConsoleSkin::inputMuteBounds() const { return buttonInStrip (0, 163); }
juce::Rectangle<int> ConsoleSkin::inputFaderBounds() const { return { 12, 192, 36, faderTrack.getHeight() }; }
juce::Rectangle<int> ConsoleSkin::inputMeterBounds() const { return { 8, 203, meterLit.getWidth(), meterLit.getHeight() }; }
juce::Rectangle<int> ConsoleSkin::inputFaderValueBounds() const { return { 15, 413, 28, 16 }; }

juce::Rectangle<int> ConsoleSkin::playbackNumberLabelBounds (int q) const
{
    return { stripWidth() * q + (stripWidth() - 30) / 2 + 2, 2, 30, 12 };
}

juce::Rectangle<int> ConsoleSkin::playbackNameLabelBounds (int q) const
{
    return { stripWidth() * q + (stripWidth() - 48) / 2 + 2, 19, 48, 18 };
}

juce::Rectangle<int> ConsoleSkin::playbackSoloBounds (int q) const { return buttonInStrip (q, 44); }
juce::Rectangle<int> ConsoleSkin::playbackMuteBounds (int q) const { return buttonInStrip (q, 67); }

juce::Rectangle<int> ConsoleSkin::playbackFaderBounds (int q) const
{
    return { stripWidth() * q + 6, 96, 36, faderTrack.getHeight() };
}

juce::Rectangle<int> ConsoleSkin::playbackFaderValueBounds (int q) const { return { stripWidth() * q + 15, 317, 28, 16 }; }

juce::Rectangle<int> ConsoleSkin::playbackGangBounds() const
{
    const auto& gang = gangSet.off;
    return { 34, playbackColumn.getHeight() - gang.getHeight() - 7, gang.getWidth(), gang.getHeight() };
}

juce::Rectangle<int> ConsoleSkin::outputNumberLabelBounds (int q) const { return { stripWidth() * q + 10, 2, stripWidth() - 16, 12 }; }

juce::Rectangle<int> ConsoleSkin::outputNameLabelBounds (int q) const { return playbackNameLabelBounds (q); }
juce::Rectangle<int> ConsoleSkin::outputMuteBounds (int q) const { return buttonInStrip (q, 67); }

juce::Rectangle<int> ConsoleSkin::outputFaderBounds (int q) const
{
    return { stripWidth() * q + 12, 96, 36, faderTrack.getHeight() };
}

juce::Rectangle<int> ConsoleSkin::outputMeterBounds (int q) const
{
    return { stripWidth() * q + 8, 107, meterLit.getWidth(), meterLit.getHeight() };
}

juce::Rectangle<int> ConsoleSkin::outputFaderValueBounds (int q) const { return { stripWidth() * q + 15, 317, 28, 16 }; }

juce::Rectangle<int> ConsoleSkin::outputGangBounds() const
{
    const auto& gang = gangSet.off;
    return { 34, outputColumn.getHeight() - gang.getHeight() - 7, gang.getWidth(), gang.getHeight() };
}

} // namespace arx
