#pragma once

// The console window's skin: the embedded images, the painted button images and every
// rectangle of the window's layout, computed from the image sizes and the device's input
// count. Each console window owns one skin; the embedded images are decoded, and the button
// faces painted, once per run and shared by every window.
//
// Threads: message thread only.

#include "device/Device.h"
#include "look/SkinArt.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

enum class SkinImage
{
    inputStrip,
    playbackColumn,
    outputColumn,
    logo,
    warningPanel,
    soloLight,
    meterLit,
    meterUnlit,
    faderTrack,
    faderCap,
    knobFilmstrip,
    activityLights,
    aboutLogo,
    trayIcon
};

// Off, on and pressed images of one painted button; all three have the same size.
struct ButtonImages
{
    SkinArt off, on, down;
};

class ConsoleSkin
{
public:
    static constexpr int tabBarHeight = 30;
    static constexpr int headerHeight = 41;      // input group header row above the strips
    static constexpr int sessionBoxWidth = 108;
    static constexpr int sessionBoxHeight = 114; // also the top of the strip headers
    static constexpr int stripHeaderHeight = 23;
    // The input strip box shows at most 16 strips; the layout follows the strips shown.
    static constexpr int maxInputs = 16;

    // Builds the skin for a device; the layout follows its input count.
    explicit ConsoleSkin (Device::Ptr device);
    // A skin without a device, for a given number of inputs (0 to maxInputs).
    explicit ConsoleSkin (int inputCount);
    ~ConsoleSkin();

    //==============================================================================
    // The embedded PNG file of an image, and the image decoded (once per run); the same at twice
    // the size (none for the tray icon).
    static juce::MemoryBlock embeddedData (SkinImage);
    static juce::Image loadImage (SkinImage);
    static juce::Image loadTwiceImage (SkinImage);

    // The session buttons' images (off and pressed), shared by every window.
    static const ButtonImages& loadImages();
    static const ButtonImages& saveImages();
    static const ButtonImages& resetImages();

    // Paints one button set the way the skin paints the mute, solo and gang sets.
    static ButtonImages paintButtonSet (int width, int height, const juce::String& text, juce::Colour onFace,
                                        juce::Colour onText);

    //==============================================================================
    Device* device() const noexcept { return dev.get(); }
    int inputCount() const noexcept { return inputs; }

    const SkinArt& inputStripImage() const noexcept { return inputStrip; }
    const SkinArt& knobFilmstripImage() const noexcept { return knobFilmstrip; }
    const SkinArt& faderCapImage() const noexcept { return faderCap; }
    const SkinArt& faderTrackImage() const noexcept { return faderTrack; }
    const SkinArt& meterLitImage() const noexcept { return meterLit; }
    const SkinArt& meterUnlitImage() const noexcept { return meterUnlit; }
    const SkinArt& playbackColumnImage() const noexcept { return playbackColumn; }
    const SkinArt& outputColumnImage() const noexcept { return outputColumn; }
    const SkinArt& logoImage() const noexcept { return logo; }
    const SkinArt& warningPanelImage() const noexcept { return warningPanel; }
    const SkinArt& soloLightImage() const noexcept { return soloLight; }

    const ButtonImages& muteImages() const noexcept { return muteSet; }
    const ButtonImages& soloImages() const noexcept { return soloSet; }
    const ButtonImages& gangImages() const noexcept { return gangSet; }

    //============================================================================== layout
    // W, H: input strip image; P, R: playback and output column widths.
    int stripWidth() const noexcept { return inputStrip.getWidth(); }
    int stripHeight() const noexcept { return inputStrip.getHeight(); }

    // In the window's content.
    juce::Rectangle<int> contentBounds() const;
    juce::Rectangle<int> tabBarBounds() const;
    juce::Rectangle<int> pageBounds() const; // the mixer page and the settings page

    // In the mixer page.
    juce::Rectangle<int> inputStripBoxBounds() const;
    juce::Rectangle<int> sessionBoxBounds() const;
    juce::Rectangle<int> playbackHeaderBounds() const;
    juce::Rectangle<int> playbackStripBoxBounds() const;
    juce::Rectangle<int> logoBoxBounds() const;
    juce::Rectangle<int> soloWarningBounds() const;
    juce::Rectangle<int> spacerBounds() const;
    juce::Rectangle<int> outputHeaderBounds() const;
    juce::Rectangle<int> outputStripBoxBounds() const;

    // In the input strip box: the group header row and strip k.
    juce::Rectangle<int> inputHeaderBounds() const;
    juce::Rectangle<int> inputStripBounds (int k) const;

    // In the session box: 0 "Load", 1 "Save", 2 "Reset", top to bottom.
    juce::Rectangle<int> sessionButtonBounds (int index) const;

    // In one input strip.
    juce::Rectangle<int> inputNumberLabelBounds() const;
    juce::Rectangle<int> inputNameLabelBounds() const;
    juce::Rectangle<int> inputPanKnobBounds() const;
    juce::Rectangle<int> inputSoloBounds() const;
    juce::Rectangle<int> inputMuteBounds() const;
    juce::Rectangle<int> inputFaderBounds() const;
    juce::Rectangle<int> inputMeterBounds() const;
    juce::Rectangle<int> inputFaderValueBounds() const;

    // In the playback strip box, strip q (0 left, 1 right).
    juce::Rectangle<int> playbackNumberLabelBounds (int q) const;
    juce::Rectangle<int> playbackNameLabelBounds (int q) const;
    juce::Rectangle<int> playbackSoloBounds (int q) const;
    juce::Rectangle<int> playbackMuteBounds (int q) const;
    juce::Rectangle<int> playbackFaderBounds (int q) const;
    juce::Rectangle<int> playbackFaderValueBounds (int q) const;
    juce::Rectangle<int> playbackGangBounds() const;

    // In the output strip box, strip q (0 left, 1 right).
    juce::Rectangle<int> outputNumberLabelBounds (int q) const;
    juce::Rectangle<int> outputNameLabelBounds (int q) const;
    juce::Rectangle<int> outputMuteBounds (int q) const;
    juce::Rectangle<int> outputFaderBounds (int q) const;
    juce::Rectangle<int> outputMeterBounds (int q) const;
    juce::Rectangle<int> outputFaderValueBounds (int q) const;
    juce::Rectangle<int> outputGangBounds() const;

private:
    void build();
    int pageWidth() const noexcept;
    juce::Rectangle<int> buttonInStrip (int q, int y) const;

    Device::Ptr dev;
    int inputs = 0;

    SkinArt inputStrip, knobFilmstrip, faderCap, faderTrack, meterLit, meterUnlit;
    SkinArt playbackColumn, outputColumn, logo, warningPanel, soloLight;
    ButtonImages muteSet, soloSet, gangSet;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ConsoleSkin)
};

} // namespace arx
