// The skin: embedded images, painted button sets and the window layout.

#include "look/ConsoleSkin.h"

#include "unit/test_console_fixture.h"

#include <gtest/gtest.h>

namespace arx
{
namespace
{
enum PngColourType : uint8_t { rgb = 2, palette = 3, rgba = 6 };

struct ImageSpec
{
    SkinImage image;
    const char* name;
    int width, height;
    PngColourType type;
};

const ImageSpec imageSpecs[] = {
    { SkinImage::inputStrip, "input strip", 54, 465, rgb },
    { SkinImage::playbackColumn, "playback column", 108, 369, palette },
    { SkinImage::outputColumn, "output column", 113, 369, rgb },
    { SkinImage::logo, "logo", 113, 44, rgb },
    { SkinImage::warningPanel, "warning panel", 113, 20, palette },
    { SkinImage::soloLight, "solo light", 10, 10, rgb },
    { SkinImage::meterLit, "lit meter", 10, 192, rgb },
    { SkinImage::meterUnlit, "unlit meter", 10, 192, rgb },
    { SkinImage::faderTrack, "fader track", 26, 212, rgb },
    { SkinImage::faderCap, "fader cap", 26, 20, rgba },
    { SkinImage::knobFilmstrip, "knob filmstrip", 42, 1638, rgb },
    { SkinImage::activityLights, "activity lights", 20, 5, palette },
    { SkinImage::aboutLogo, "About logo", 105, 66, rgba },
    { SkinImage::trayIcon, "tray icon", 16, 16, rgba },
};

uint32_t be32 (const uint8_t* p)
{
    return (uint32_t (p[0]) << 24) | (uint32_t (p[1]) << 16) | (uint32_t (p[2]) << 8) | p[3];
}

bool hasChunk (const juce::MemoryBlock& png, const char* type)
{
    auto* p = static_cast<const uint8_t*> (png.getData());
    for (size_t at = 8; at + 8 <= png.getSize();)
    {
        if (std::memcmp (p + at + 4, type, 4) == 0)
            return true;
        at += 12 + be32 (p + at);
    }
    return false;
}

TEST (SkinImages, EveryEmbeddedImageHasItsSizeAndPixelFormat)
{
    for (const auto& expected : imageSpecs)
    {
        SCOPED_TRACE (expected.name);
        const auto png = ConsoleSkin::embeddedData (expected.image);
        ASSERT_GT (png.getSize(), 33u);
        auto* p = static_cast<const uint8_t*> (png.getData());
        EXPECT_EQ (std::memcmp (p, "\x89PNG\r\n\x1a\n", 8), 0);
        EXPECT_EQ (std::memcmp (p + 12, "IHDR", 4), 0);
        EXPECT_EQ (be32 (p + 16), uint32_t (expected.width));
        EXPECT_EQ (be32 (p + 20), uint32_t (expected.height));
        EXPECT_EQ (p[24], 8) << "bit depth";
        EXPECT_EQ (p[25], expected.type) << "colour type";
        EXPECT_EQ (hasChunk (png, "PLTE"), expected.type == palette);

        const auto image = ConsoleSkin::loadImage (expected.image);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), expected.width);
        EXPECT_EQ (image.getHeight(), expected.height);
        EXPECT_EQ (image.hasAlphaChannel(), expected.type == rgba);
    }
}

TEST (SkinImages, DecodingTwiceSharesTheImage)
{
    EXPECT_EQ (ConsoleSkin::loadImage (SkinImage::logo), ConsoleSkin::loadImage (SkinImage::logo));
}

TEST (SkinImages, KnobFilmstripTurnsFromLeftToRight)
{
    const auto strip = ConsoleSkin::loadImage (SkinImage::knobFilmstrip);
    ASSERT_EQ (strip.getHeight() / 42, 39);
    ASSERT_EQ (strip.getHeight() % 42, 0);

    // The pointer's bright tip lies lower left in frame 0, straight up in frame 19 and
    // lower right in frame 38.
    auto brightestIn = [&] (int frame)
    {
        juce::Point<int> best;
        int level = -1;
        for (int y = 8; y < 34; ++y)
            for (int x = 8; x < 34; ++x)
            {
                const auto c = strip.getPixelAt (x, frame * 42 + y);
                const int v = c.getRed() + c.getGreen() + c.getBlue();
                if (v > level && std::abs (c.getRed() - c.getGreen()) < 12)
                {
                    level = v;
                    best = { x, y };
                }
            }
        return best;
    };
    const auto left = brightestIn (0), up = brightestIn (19), right = brightestIn (38);
    EXPECT_LT (left.x, 21);
    EXPECT_GT (left.y, 21);
    EXPECT_NEAR (up.x, 21, 2);
    EXPECT_LT (up.y, 21);
    EXPECT_GT (right.x, 21);
    EXPECT_GT (right.y, 21);
}

//==============================================================================
bool anyPixel (const juce::Image& img, std::function<bool (juce::Colour)> test)
{
    for (int y = 0; y < img.getHeight(); ++y)
        for (int x = 0; x < img.getWidth(); ++x)
            if (test (img.getPixelAt (x, y)))
                return true;
    return false;
}

bool samePixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return false;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;
    return true;
}

bool anyPixel (const SkinArt& art, std::function<bool (juce::Colour)> test) { return anyPixel (art.image(), std::move (test)); }
bool samePixels (const SkinArt& a, const SkinArt& b) { return samePixels (a.image(), b.image()); }

// Both sizes: the zoomed window draws the faces painted at twice the size, text and all.
void expectSetSize (const ButtonImages& set, int w, int h)
{
    for (auto* img : { &set.off, &set.on, &set.down })
    {
        EXPECT_EQ (img->getWidth(), w);
        EXPECT_EQ (img->getHeight(), h);
        EXPECT_EQ (img->image().getFormat(), juce::Image::ARGB);
        EXPECT_EQ (img->twiceImage().getBounds(), juce::Rectangle<int> (2 * w, 2 * h));
    }
}

TEST (SkinButtons, MuteSoloAndGangSetsShowTheirStates)
{
    ConsoleSkin skin (8);
    expectSetSize (skin.muteImages(), 46, 19);
    expectSetSize (skin.soloImages(), 46, 19);
    expectSetSize (skin.gangImages(), 44, 17);

    auto yellow = [] (juce::Colour c) { return c.getRed() > 200 && c.getGreen() > 200 && c.getBlue() < 80; };
    auto red = [] (juce::Colour c) { return c.getRed() > 200 && c.getGreen() < 60 && c.getBlue() < 60; };
    auto green = [] (juce::Colour c) { return c.getGreen() > 200 && c.getRed() < 60 && c.getBlue() < 60; };
    auto white = [] (juce::Colour c) { return c.getRed() > 180 && c.getGreen() > 180 && c.getBlue() > 180; };

    EXPECT_TRUE (anyPixel (skin.muteImages().on, yellow));
    EXPECT_FALSE (anyPixel (skin.muteImages().off, yellow));
    EXPECT_TRUE (anyPixel (skin.soloImages().on, red));
    EXPECT_FALSE (anyPixel (skin.soloImages().off, red));
    EXPECT_TRUE (anyPixel (skin.gangImages().on, green));
    EXPECT_FALSE (anyPixel (skin.gangImages().off, green));

    for (auto* set : { &skin.muteImages(), &skin.soloImages(), &skin.gangImages() })
    {
        EXPECT_TRUE (anyPixel (set->off, white)) << "off text is near white";
        EXPECT_FALSE (anyPixel (set->down, white)) << "pressed text is half white";
        EXPECT_FALSE (samePixels (set->off, set->down));
        EXPECT_EQ (set->off.image().getPixelAt (0, 0), juce::Colour (15, 15, 15));
    }
    EXPECT_FALSE (samePixels (skin.muteImages().off, skin.soloImages().off)) << "each carries its own text";
}

TEST (SkinButtons, EveryWindowPaintsTheSameSetsButSessionImagesOnlyOnce)
{
    auto first = std::make_unique<ConsoleSkin> (4);
    const auto save = ConsoleSkin::saveImages().off;
    const auto loadDown = ConsoleSkin::loadImages().down;
    const auto muteOn = first->muteImages().on;

    ConsoleSkin second (4);
    EXPECT_TRUE (samePixels (second.muteImages().on, muteOn));
    EXPECT_TRUE (samePixels (second.gangImages().off, first->gangImages().off));
    first.reset();

    EXPECT_EQ (ConsoleSkin::saveImages().off.image(), save.image()) << "the same pixel data, not painted again";
    EXPECT_EQ (ConsoleSkin::loadImages().down.image(), loadDown.image());

    for (auto* set : { &ConsoleSkin::loadImages(), &ConsoleSkin::saveImages(), &ConsoleSkin::resetImages() })
    {
        EXPECT_EQ (set->off.getBounds(), juce::Rectangle<int> (0, 0, 60, 25));
        EXPECT_EQ (set->down.getBounds(), juce::Rectangle<int> (0, 0, 60, 25));
        EXPECT_FALSE (samePixels (set->off, set->down));
    }
    EXPECT_FALSE (samePixels (ConsoleSkin::loadImages().off, ConsoleSkin::resetImages().off));
}

//==============================================================================
TEST (SkinLayout, ContentAndPagePanelsFollowTheInputCount)
{
    for (int n : { 1, 8, 13, 16 })
    {
        SCOPED_TRACE (n);
        ConsoleSkin skin (n);
        const int nw = n * 54;
        EXPECT_EQ (skin.contentBounds(), juce::Rectangle<int> (0, 0, nw + 221, 536));
        EXPECT_EQ (skin.tabBarBounds(), juce::Rectangle<int> (0, 0, nw + 221, 30));
        EXPECT_EQ (skin.pageBounds(), juce::Rectangle<int> (0, 30, nw + 221, 506));
        EXPECT_EQ (skin.inputStripBoxBounds(), juce::Rectangle<int> (0, 0, nw, 506));
        EXPECT_EQ (skin.inputHeaderBounds(), juce::Rectangle<int> (0, 0, nw, 41));
        EXPECT_EQ (skin.inputStripBounds (n - 1), juce::Rectangle<int> (nw - 54, 41, 54, 465));
        EXPECT_EQ (skin.sessionBoxBounds(), juce::Rectangle<int> (nw, 0, 108, 114));
        EXPECT_EQ (skin.playbackHeaderBounds(), juce::Rectangle<int> (nw, 114, 108, 23));
        EXPECT_EQ (skin.playbackStripBoxBounds(), juce::Rectangle<int> (nw, 137, 108, 369));
        EXPECT_EQ (skin.logoBoxBounds(), juce::Rectangle<int> (nw + 108, 0, 113, 44));
        EXPECT_EQ (skin.soloWarningBounds(), juce::Rectangle<int> (nw + 108, 44, 113, 20));
        EXPECT_EQ (skin.spacerBounds(), juce::Rectangle<int> (nw + 108, 64, 113, 50));
        EXPECT_EQ (skin.outputHeaderBounds(), juce::Rectangle<int> (nw + 108, 114, 113, 23));
        EXPECT_EQ (skin.outputStripBoxBounds(), juce::Rectangle<int> (nw + 108, 137, 113, 369));
    }
}

TEST (SkinLayout, SessionButtonsStackInTheSessionBox)
{
    ConsoleSkin skin (13);
    EXPECT_EQ (skin.sessionButtonBounds (0), juce::Rectangle<int> (24, 19, 60, 25));
    EXPECT_EQ (skin.sessionButtonBounds (1), juce::Rectangle<int> (24, 44, 60, 25));
    EXPECT_EQ (skin.sessionButtonBounds (2), juce::Rectangle<int> (24, 69, 60, 25));
    EXPECT_TRUE (skin.sessionButtonBounds (3).isEmpty());
}

TEST (SkinLayout, StripControlsFitTheirImages)
{
    ConsoleSkin skin (13);
    EXPECT_EQ (skin.inputPanKnobBounds(), juce::Rectangle<int> (7, 76, 42, 59));
    EXPECT_EQ (skin.inputSoloBounds(), juce::Rectangle<int> (7, 140, 46, 19));
    EXPECT_EQ (skin.inputMuteBounds(), juce::Rectangle<int> (7, 163, 46, 19));
    EXPECT_EQ (skin.inputFaderBounds(), juce::Rectangle<int> (12, 192, 36, 212));
    EXPECT_EQ (skin.inputMeterBounds(), juce::Rectangle<int> (8, 203, 10, 192));
    EXPECT_EQ (skin.inputNameLabelBounds(), juce::Rectangle<int> (5, 20, 48, 18));
    EXPECT_EQ (skin.playbackNumberLabelBounds (1), juce::Rectangle<int> (68, 2, 30, 12));
    EXPECT_EQ (skin.playbackSoloBounds (1), juce::Rectangle<int> (61, 44, 46, 19));
    EXPECT_EQ (skin.playbackFaderBounds (1), juce::Rectangle<int> (60, 96, 36, 212));
    EXPECT_EQ (skin.playbackGangBounds(), juce::Rectangle<int> (34, 345, 44, 17));
    EXPECT_EQ (skin.outputNumberLabelBounds (1), juce::Rectangle<int> (64, 2, 38, 12));
    EXPECT_EQ (skin.outputMeterBounds (1), juce::Rectangle<int> (62, 107, 10, 192));
    EXPECT_EQ (skin.outputFaderBounds (0), juce::Rectangle<int> (12, 96, 36, 212));
    EXPECT_EQ (skin.outputGangBounds(), juce::Rectangle<int> (34, 345, 44, 17));

    // The controls stay inside the images they sit on.
    const auto strip = skin.inputStripImage().getBounds();
    for (auto r : { skin.inputPanKnobBounds(), skin.inputFaderBounds(), skin.inputMeterBounds(),
                    skin.inputFaderValueBounds(), skin.inputNumberLabelBounds() })
        EXPECT_TRUE (strip.contains (r)) << r.toString();
    const auto column = skin.outputColumnImage().getBounds();
    for (int q : { 0, 1 })
        for (auto r : { skin.outputFaderBounds (q), skin.outputMeterBounds (q), skin.outputMuteBounds (q) })
            EXPECT_TRUE (column.contains (r)) << r.toString();
}

TEST (SkinLayout, OutOfRangeInputCountsAreClamped)
{
    EXPECT_EQ (ConsoleSkin (-3).inputCount(), 0);
    EXPECT_EQ (ConsoleSkin (-3).contentBounds().getWidth(), 221);
    EXPECT_EQ (ConsoleSkin (100000).inputCount(), ConsoleSkin::maxInputs);
}

TEST (SkinLayout, SkinOfALabDeviceUsesItsInputCount)
{
    test::LabDevice arx;
    ASSERT_NE (arx.device, nullptr);
    ConsoleSkin skin (arx.device);
    EXPECT_EQ (skin.device(), arx.device.get());
    EXPECT_EQ (skin.inputCount(), arx.device->info().inputCount());
    EXPECT_EQ (skin.contentBounds(), juce::Rectangle<int> (0, 0, 13 * 54 + 221, 536));

    sim::PlugOptions wide;
    wide.profile = "wide";
    test::LabDevice big (wide);
    ASSERT_NE (big.device, nullptr);
    EXPECT_EQ (ConsoleSkin (big.device).contentBounds().getWidth(), 16 * 54 + 221);
}

} // namespace
} // namespace arx
