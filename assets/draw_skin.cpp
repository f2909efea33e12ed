// Draws the console's skin artwork and writes it as PNG files.
//
//   arx-draw-skin <output folder>
//
// Every image is drawn with JUCE's renderer into an ARGB image and written by the small PNG
// encoder below, which gives exact control of the pixel format (RGB, palette or RGBA) that
// the console expects of each file. The output is deterministic: noise comes from fixed seeds.
//
// Each image is drawn twice: at its own size and at twice that ("_2x" files), for zooms of 150%
// and more. The drawing code works in the 1x image's coordinates either way.

#include <juce_core/juce_core.h>
#include <juce_graphics/juce_graphics.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

namespace
{
using juce::Colour;
using juce::Graphics;
using juce::Image;

enum class PngKind { rgb, palette, rgba };

// Shared colours: the flat wells that the fader track, the knob frames and the solo light
// are drawn onto, so that opaque images sit seamlessly on the panels.
const Colour faderWell (24, 25, 27);
const Colour knobWell (27, 28, 31);
const Colour lampWell (12, 12, 12);
const Colour plate (214, 208, 188);
const Colour consoleBlack (15, 15, 15);

constexpr int stripW = 54;

// Pixels per unit of the drawing code: 1, then 2 for the "_2x" set.
int scale = 1;

// Makes a Graphics on an image at the current scale draw in 1x units.
void inUnits (Graphics& g) { g.addTransform (juce::AffineTransform::scale ((float) scale)); }

int unitsHigh (const Image& img) { return img.getHeight() / scale; }

//============================================================================== PNG encoding
uint32_t crc32 (const uint8_t* data, size_t size, uint32_t crc = 0)
{
    static const auto table = []
    {
        std::array<uint32_t, 256> t {};
        for (uint32_t n = 0; n < 256; ++n)
        {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();

    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void putBE32 (std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back (uint8_t (v >> shift));
}

void putChunk (std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body)
{
    putBE32 (out, uint32_t (body.size()));
    std::vector<uint8_t> typed (type, type + 4);
    typed.insert (typed.end(), body.begin(), body.end());
    out.insert (out.end(), typed.begin(), typed.end());
    putBE32 (out, crc32 (typed.data(), typed.size()));
}

std::vector<uint8_t> deflate (const std::vector<uint8_t>& raw)
{
    juce::MemoryOutputStream mem;
    {
        juce::GZIPCompressorOutputStream z (mem, 9); // zlib framing, as PNG wants
        z.write (raw.data(), raw.size());
        z.flush();
    }
    auto* p = static_cast<const uint8_t*> (mem.getData());
    return { p, p + mem.getDataSize() };
}

// Palette images: the exact colours when there are at most 256 of them, otherwise colours
// with their low bits dropped until they fit.
std::vector<uint8_t> indexPixels (const Image& img, std::vector<juce::PixelRGB>& palette)
{
    const juce::Image::BitmapData bd (img, juce::Image::BitmapData::readOnly);
    for (int drop = 0; drop < 8; ++drop)
    {
        std::map<uint32_t, uint8_t> index;
        std::vector<uint8_t> pixels;
        palette.clear();
        bool fits = true;
        const uint32_t mask = (0xFFu << drop) & 0xFFu;
        for (int y = 0; y < img.getHeight() && fits; ++y)
            for (int x = 0; x < img.getWidth(); ++x)
            {
                const auto c = bd.getPixelColour (x, y);
                const uint32_t key = ((c.getRed() & mask) << 16) | ((c.getGreen() & mask) << 8) | (c.getBlue() & mask);
                auto it = index.find (key);
                if (it == index.end())
                {
                    if (index.size() == 256) { fits = false; break; }
                    const uint32_t half = drop > 0 ? (1u << (drop - 1)) : 0u;
                    juce::PixelRGB p;
                    p.setARGB (255, uint8_t (((key >> 16) & 0xFF) | half), uint8_t (((key >> 8) & 0xFF) | half),
                               uint8_t ((key & 0xFF) | half));
                    palette.push_back (p);
                    it = index.emplace (key, uint8_t (index.size())).first;
                }
                pixels.push_back (it->second);
            }
        if (fits)
            return pixels;
    }
    return {};
}

bool writePng (const Image& img, PngKind kind, const juce::File& file)
{
    const int w = img.getWidth(), h = img.getHeight();
    std::vector<uint8_t> out { 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A };

    std::vector<uint8_t> ihdr;
    putBE32 (ihdr, uint32_t (w));
    putBE32 (ihdr, uint32_t (h));
    ihdr.push_back (8);
    ihdr.push_back (kind == PngKind::rgb ? 2 : kind == PngKind::palette ? 3 : 6);
    ihdr.push_back (0);
    ihdr.push_back (0);
    ihdr.push_back (0);
    putChunk (out, "IHDR", ihdr);

    std::vector<uint8_t> raw;
    if (kind == PngKind::palette)
    {
        std::vector<juce::PixelRGB> palette;
        const auto pixels = indexPixels (img, palette);
        std::vector<uint8_t> plte;
        for (auto& p : palette)
        {
            plte.push_back (p.getRed());
            plte.push_back (p.getGreen());
            plte.push_back (p.getBlue());
        }
        putChunk (out, "PLTE", plte);
        for (int y = 0; y < h; ++y)
        {
            raw.push_back (0);
            raw.insert (raw.end(), pixels.begin() + y * w, pixels.begin() + (y + 1) * w);
        }
    }
    else
    {
        const juce::Image::BitmapData bd (img, juce::Image::BitmapData::readOnly);
        for (int y = 0; y < h; ++y)
        {
            raw.push_back (0);
            for (int x = 0; x < w; ++x)
            {
                const auto c = bd.getPixelColour (x, y); // unpremultiplied
                raw.push_back (c.getRed());
                raw.push_back (c.getGreen());
                raw.push_back (c.getBlue());
                if (kind == PngKind::rgba)
                    raw.push_back (c.getAlpha());
            }
        }
    }
    putChunk (out, "IDAT", deflate (raw));
    putChunk (out, "IEND", {});
    return file.replaceWithData (out.data(), out.size());
}

//============================================================================== drawing helpers
Image blank (int w, int h, Colour fill = juce::Colours::transparentBlack)
{
    Image img (Image::ARGB, w * scale, h * scale, true);
    if (! fill.isTransparent())
        Graphics (img).fillAll (fill);
    return img;
}

// Vertical brushing: each column gets its own slight shade, each pixel a little grain.
void brush (Image& img, juce::Rectangle<int> units, Colour top, Colour bottom, int seed, float strength = 1.0f)
{
    const auto area = units * scale;
    juce::Random rng (seed);
    std::vector<float> column (size_t (area.getWidth()));
    for (auto& c : column)
        c = (rng.nextFloat() - 0.5f) * 7.0f * strength;

    for (int y = area.getY(); y < area.getBottom(); ++y)
    {
        const float t = float (y - area.getY()) / float (juce::jmax (1, area.getHeight() - 1));
        const auto base = top.interpolatedWith (bottom, t);
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const float d = column[size_t (x - area.getX())] + (rng.nextFloat() - 0.5f) * 3.0f * strength;
            auto adj = [d] (uint8_t v) { return uint8_t (juce::jlimit (0, 255, juce::roundToInt (v + d))); };
            img.setPixelAt (x, y, Colour (adj (base.getRed()), adj (base.getGreen()), adj (base.getBlue())));
        }
    }
}

// A recessed rectangle: dark shadow on the upper left, soft light on the lower right.
void recess (Graphics& g, juce::Rectangle<int> r, Colour fill)
{
    g.setColour (Colour (6, 6, 7));
    g.fillRect (r.expanded (1));
    g.setColour (Colour (255, 255, 255).withAlpha (0.10f));
    g.fillRect (r.getX() - 1, r.getBottom(), r.getWidth() + 2, 1);
    g.fillRect (r.getRight(), r.getY() - 1, 1, r.getHeight() + 2);
    g.setColour (fill);
    g.fillRect (r);
}

// A cream scribble plate for black text.
void scribblePlate (Graphics& g, juce::Rectangle<float> r)
{
    g.setColour (Colour (0, 0, 0).withAlpha (0.6f));
    g.fillRoundedRectangle (r.expanded (1.0f), 2.5f);
    g.setGradientFill (juce::ColourGradient (plate.brighter (0.08f), r.getX(), r.getY(), plate.darker (0.12f), r.getX(),
                                             r.getBottom(), false));
    g.fillRoundedRectangle (r, 2.0f);
    g.setColour (Colour (0, 0, 0).withAlpha (0.18f));
    g.drawHorizontalLine (juce::roundToInt (r.getY()), r.getX() + 1.0f, r.getRight() - 1.0f);
}

void screw (Graphics& g, float cx, float cy)
{
    g.setColour (Colour (8, 8, 8));
    g.fillEllipse (cx - 2.5f, cy - 2.5f, 5.0f, 5.0f);
    g.setGradientFill (juce::ColourGradient (Colour (120, 120, 124), cx - 1.5f, cy - 1.5f, Colour (40, 40, 42), cx + 1.5f,
                                             cy + 1.5f, false));
    g.fillEllipse (cx - 2.0f, cy - 2.0f, 4.0f, 4.0f);
    g.setColour (Colour (20, 20, 20));
    g.drawLine (cx - 1.4f, cy + 1.4f, cx + 1.4f, cy - 1.4f, 0.8f);
}

void edgeLines (Graphics& g, int x, int w, int h)
{
    g.setColour (Colour (255, 255, 255).withAlpha (0.09f));
    g.fillRect (x, 0, 1, h);
    g.setColour (Colour (0, 0, 0).withAlpha (0.55f));
    g.fillRect (x + w - 1, 0, 1, h);
}

juce::Font boldFont (float h) { return juce::Font (h, juce::Font::bold); }

// The fader lane behind a fader: a well for the track image plus a dB scale printed beside it.
void faderLane (Graphics& g, int x, int y, int w)
{
    recess (g, { x, y, w, 220 }, faderWell);
}

//============================================================================== the images
// Fader track: drawn at x + 10 of a 36-pixel-wide fader whose cap centre travels 8..204.
Image faderTrack()
{
    auto img = blank (26, 212, faderWell);
    Graphics g (img);
    inUnits (g);

    auto yFor = [] (double dB)
    {
        const double p = std::pow ((dB + 60.0) / 60.0, 1.5);
        return 8.0 + (1.0 - p) * 196.0;
    };
    for (double dB : { 0.0, -5.0, -10.0, -15.0, -20.0, -30.0, -40.0, -60.0 })
    {
        const float y = float (yFor (dB));
        const bool major = dB == 0.0 || dB == -10.0 || dB == -20.0 || dB == -40.0 || dB == -60.0;
        g.setColour (dB == 0.0 ? Colour (230, 230, 230) : Colour (150, 150, 150).withAlpha (major ? 0.9f : 0.55f));
        g.fillRect (juce::Rectangle<float> (major ? 1.0f : 3.0f, y - 0.5f, major ? 7.0f : 5.0f, 1.0f));
        g.fillRect (juce::Rectangle<float> (18.0f, y - 0.5f, major ? 7.0f : 5.0f, 1.0f));
    }

    // The slot the cap rides in.
    g.setColour (Colour (3, 3, 3));
    g.fillRoundedRectangle (10.5f, 3.0f, 5.0f, 206.0f, 2.0f);
    g.setColour (Colour (255, 255, 255).withAlpha (0.12f));
    g.drawRoundedRectangle (10.0f, 2.5f, 6.0f, 207.0f, 2.5f, 0.6f);
    g.setColour (Colour (60, 60, 62));
    g.fillRect (12.5f, 5.0f, 1.0f, 202.0f);
    return img;
}

// Fader cap: a ridged grey cap with a white index line; soft shadow below, alpha elsewhere.
Image faderCap()
{
    auto img = blank (26, 20);
    Graphics g (img);
    inUnits (g);
    g.setColour (Colour (0, 0, 0).withAlpha (0.45f));
    g.fillRoundedRectangle (1.5f, 2.0f, 24.0f, 18.0f, 3.0f);

    const juce::Rectangle<float> body (1.0f, 0.5f, 24.0f, 17.5f);
    g.setGradientFill (juce::ColourGradient (Colour (196, 197, 200), 0.0f, body.getY(), Colour (70, 71, 74), 0.0f,
                                             body.getBottom(), false));
    g.fillRoundedRectangle (body, 2.5f);

    // Ridges: the top half catches light, the lower half is in shade.
    for (int i = 0; i < 4; ++i)
    {
        const float y = 2.5f + float (i) * 1.8f;
        g.setColour (Colour (0, 0, 0).withAlpha (0.22f));
        g.fillRect (2.5f, y + 0.9f, 21.0f, 0.7f);
        g.setColour (Colour (255, 255, 255).withAlpha (0.25f));
        g.fillRect (2.5f, y, 21.0f, 0.6f);
    }
    for (int i = 0; i < 3; ++i)
    {
        const float y = 12.0f + float (i) * 1.8f;
        g.setColour (Colour (0, 0, 0).withAlpha (0.28f));
        g.fillRect (2.5f, y + 0.9f, 21.0f, 0.7f);
        g.setColour (Colour (255, 255, 255).withAlpha (0.12f));
        g.fillRect (2.5f, y, 21.0f, 0.6f);
    }
    g.setColour (Colour (20, 20, 20));
    g.fillRect (1.5f, 8.5f, 23.0f, 2.0f);
    g.setColour (Colour (250, 250, 250));
    g.fillRect (2.0f, 9.0f, 22.0f, 1.0f);

    g.setColour (Colour (0, 0, 0).withAlpha (0.7f));
    g.drawRoundedRectangle (body, 2.5f, 0.8f);
    return img;
}

// Pan knob: 39 frames, 270 degrees from lower left to lower right, with a centre-out arc.
Image knobFilmstrip()
{
    constexpr int frames = 39, size = 42;
    auto img = blank (size, frames * size, knobWell);
    Graphics g (img);
    inUnits (g);
    const float pi = juce::MathConstants<float>::pi;
    const float a0 = 1.25f * pi, a1 = 2.75f * pi, centreAngle = 2.0f * pi;

    for (int f = 0; f < frames; ++f)
    {
        const float cx = 21.0f, cy = float (f * size) + 21.0f;
        const float angle = a0 + (a1 - a0) * float (f) / float (frames - 1);

        juce::Path ring;
        ring.addCentredArc (cx, cy, 18.0f, 18.0f, 0.0f, a0, a1, true);
        g.setColour (Colour (8, 8, 9));
        g.strokePath (ring, juce::PathStrokeType (3.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));

        if (f != (frames - 1) / 2)
        {
            juce::Path lit;
            lit.addCentredArc (cx, cy, 18.0f, 18.0f, 0.0f, juce::jmin (centreAngle, angle), juce::jmax (centreAngle, angle),
                               true);
            g.setColour (Colour (70, 220, 90));
            g.strokePath (lit, juce::PathStrokeType (2.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
        }
        g.setColour (Colour (200, 200, 200));
        g.fillEllipse (cx - 1.0f, cy - 21.0f, 2.0f, 2.0f); // centre mark

        // Shadow, knurled skirt, then the metal cap.
        g.setColour (Colour (0, 0, 0).withAlpha (0.6f));
        g.fillEllipse (cx - 14.0f, cy - 13.0f, 28.0f, 29.0f);
        g.setGradientFill (juce::ColourGradient (Colour (70, 71, 75), cx, cy - 14.0f, Colour (18, 18, 20), cx, cy + 14.0f, false));
        g.fillEllipse (cx - 14.0f, cy - 14.0f, 28.0f, 28.0f);
        for (int k = 0; k < 30; ++k)
        {
            const float a = angle + float (k) * 2.0f * pi / 30.0f;
            const float s = std::sin (a), c = -std::cos (a);
            g.setColour (Colour (0, 0, 0).withAlpha (0.45f));
            g.drawLine (cx + 11.5f * s, cy + 11.5f * c, cx + 14.0f * s, cy + 14.0f * c, 0.9f);
        }
        g.setGradientFill (juce::ColourGradient (Colour (168, 169, 173), cx - 5.0f, cy - 8.0f, Colour (52, 53, 57), cx + 6.0f,
                                                 cy + 9.0f, true));
        g.fillEllipse (cx - 10.5f, cy - 10.5f, 21.0f, 21.0f);
        g.setColour (Colour (0, 0, 0).withAlpha (0.5f));
        g.drawEllipse (cx - 10.5f, cy - 10.5f, 21.0f, 21.0f, 0.8f);

        const float s = std::sin (angle), c = -std::cos (angle);
        g.setColour (Colour (0, 0, 0).withAlpha (0.5f));
        g.drawLine (cx + 3.0f * s + 0.5f, cy + 3.0f * c + 0.7f, cx + 13.0f * s + 0.5f, cy + 13.0f * c + 0.7f, 2.4f);
        g.setColour (Colour (250, 250, 250));
        g.drawLine (cx + 3.0f * s, cy + 3.0f * c, cx + 13.0f * s, cy + 13.0f * c, 2.0f);
    }
    return img;
}

// Meter ladders: 2-row segments with a 1-row gap; red to -3 dB, amber to -12 dB, then green.
Colour meterColour (int row, bool lit)
{
    Colour c = row < 18 ? Colour (255, 48, 40) : row < 72 ? Colour (255, 196, 20) : Colour (40, 230, 70);
    return lit ? c : c.withMultipliedBrightness (0.22f).withMultipliedSaturation (0.7f);
}

Image meter (bool lit)
{
    auto img = blank (10, 192, Colour (5, 5, 5));
    Graphics g (img);
    inUnits (g);
    for (int row = 0; row + 1 < 192; row += 3)
    {
        const auto c = meterColour (row, lit);
        g.setColour (c);
        g.fillRect (1, row, 8, 2);
        g.setColour (lit ? c.brighter (0.5f).withAlpha (0.8f) : c.brighter (0.2f));
        g.fillRect (2, row, 6, 1);
    }
    return img;
}

// Input strip: number and name at the top, knob well, buttons, fader lane with its meter.
Image inputStrip()
{
    auto img = blank (stripW, 465);
    brush (img, img.getBounds() / scale, Colour (48, 49, 53), Colour (34, 35, 38), 11);
    Graphics g (img);
    inUnits (g);
    edgeLines (g, 0, stripW, 465);

    scribblePlate (g, { 5.0f, 20.0f, 48.0f, 18.0f });

    recess (g, { 6, 72, 46, 66 }, knobWell);
    scribblePlate (g, { 14.0f, 125.5f, 30.0f, 10.0f });

    faderLane (g, 6, 190, 44);
    g.setColour (Colour (5, 5, 5));
    g.fillRect (7, 202, 12, 194); // meter bezel
    scribblePlate (g, { 15.0f, 413.0f, 28.0f, 16.0f });

    g.setColour (Colour (0, 0, 0).withAlpha (0.5f));
    g.fillRect (4, 436, stripW - 8, 1);
    g.setColour (Colour (255, 255, 255).withAlpha (0.08f));
    g.fillRect (4, 437, stripW - 8, 1);
    screw (g, 27.0f, 451.0f);
    return img;
}

void pairColumn (Image& img, int q, int faderX, bool withMeter)
{
    Graphics g (img);
    inUnits (g);
    const int x0 = q * stripW;
    edgeLines (g, x0, stripW, unitsHigh (img));
    scribblePlate (g, { float (x0 + 5), 19.0f, 48.0f, 18.0f });
    if (withMeter)
        faderLane (g, x0 + 6, 94, 44);
    else
        faderLane (g, x0 + faderX + 7, 94, 32);
    if (withMeter)
    {
        g.setColour (Colour (5, 5, 5));
        g.fillRect (x0 + 7, 106, 12, 194);
    }
    scribblePlate (g, { float (x0 + 15), 317.0f, 28.0f, 16.0f });
}

// The gang button's place: a bracket joining the two strips of the pair.
void gangBracket (Image& img)
{
    Graphics g (img);
    inUnits (g);
    const float y = float (unitsHigh (img) - 17 - 7) + 8.5f;
    g.setColour (Colour (120, 120, 125));
    g.drawLine (14.0f, y, 32.0f, y, 1.0f);
    g.drawLine (80.0f, y, 98.0f, y, 1.0f);
    g.drawLine (14.0f, y - 6.0f, 14.0f, y, 1.0f);
    g.drawLine (98.0f, y - 6.0f, 98.0f, y, 1.0f);
}

Image playbackColumn()
{
    auto img = blank (108, 369);
    brush (img, img.getBounds() / scale, Colour (44, 47, 54), Colour (31, 33, 38), 23, 0.6f);
    pairColumn (img, 0, 6, false);
    pairColumn (img, 1, 6, false);
    gangBracket (img);
    return img;
}

Image outputColumn()
{
    auto img = blank (113, 369);
    brush (img, img.getBounds() / scale, Colour (52, 49, 46), Colour (36, 34, 32), 37);
    pairColumn (img, 0, 12, true);
    pairColumn (img, 1, 12, true);
    Graphics g (img);
    inUnits (g);
    edgeLines (g, 108, 5, 369);
    gangBracket (img);
    return img;
}

void wordmark (Graphics& g, juce::Rectangle<float> r, float height, Colour c)
{
    juce::GlyphArrangement ga;
    ga.addFittedText (boldFont (height).withExtraKerningFactor (0.12f), "ARX", r.getX(), r.getY(), r.getWidth(),
                      r.getHeight(), juce::Justification::centred, 1);
    juce::Path p;
    ga.createPath (p);
    g.setColour (Colour (0, 0, 0).withAlpha (0.6f));
    g.fillPath (p, juce::AffineTransform::translation (0.0f, 1.0f));
    g.setGradientFill (juce::ColourGradient (c, 0.0f, r.getY(), c.darker (0.35f), 0.0f, r.getBottom(), false));
    g.fillPath (p);
}

Image logo()
{
    auto img = blank (113, 44);
    brush (img, img.getBounds() / scale, Colour (26, 26, 28), Colour (16, 16, 17), 41, 0.5f);
    Graphics g (img);
    inUnits (g);
    wordmark (g, { 6.0f, 4.0f, 56.0f, 28.0f }, 25.0f, Colour (240, 240, 242));
    g.setColour (Colour (70, 220, 90));
    g.fillRect (64.0f, 10.0f, 2.0f, 18.0f);
    g.setColour (Colour (170, 170, 175));
    g.setFont (boldFont (8.5f));
    g.drawFittedText ("CONSOLE", 69, 9, 42, 10, juce::Justification::centredLeft, 1, 0.8f);
    g.setColour (Colour (110, 110, 115));
    g.setFont (juce::Font (8.0f));
    g.drawFittedText ("MIXER", 69, 19, 42, 10, juce::Justification::centredLeft, 1, 0.8f);
    g.setColour (Colour (0, 0, 0).withAlpha (0.7f));
    g.fillRect (0, 43, 113, 1);
    g.setColour (Colour (255, 255, 255).withAlpha (0.06f));
    g.fillRect (0, 0, 113, 1);
    g.setColour (Colour (40, 40, 42));
    g.fillRect (6, 36, 101, 1);
    return img;
}

Image warningPanel()
{
    auto img = blank (113, 20, Colour (22, 22, 23));
    Graphics g (img);
    inUnits (g);
    g.setColour (Colour (0, 0, 0));
    g.fillRect (0, 19, 113, 1);
    g.setColour (Colour (40, 40, 42));
    g.fillRect (0, 0, 113, 1);
    g.setColour (Colour (55, 55, 58));
    g.fillEllipse (6.5f, 4.5f, 13.0f, 13.0f);
    g.setColour (lampWell);
    g.fillRect (8, 6, 10, 10);
    g.setColour (Colour (70, 20, 18));
    g.fillEllipse (9.0f, 7.0f, 8.0f, 8.0f);
    g.setColour (Colour (150, 150, 150));
    g.setFont (boldFont (10.0f).withExtraKerningFactor (0.1f));
    g.drawText ("SOLO ACTIVE", 25, 3, 84, 14, juce::Justification::centredLeft, false);
    return img;
}

Image soloLight()
{
    auto img = blank (10, 10, lampWell);
    Graphics g (img);
    inUnits (g);
    g.setGradientFill (juce::ColourGradient (Colour (255, 170, 150), 4.0f, 4.0f, Colour (200, 10, 10), 9.0f, 9.0f, true));
    g.fillEllipse (1.0f, 1.0f, 8.0f, 8.0f);
    g.setColour (Colour (255, 60, 40).withAlpha (0.5f));
    g.drawEllipse (0.5f, 0.5f, 9.0f, 9.0f, 1.0f);
    return img;
}

Image activityLights()
{
    auto img = blank (20, 5, consoleBlack);
    Graphics g (img);
    inUnits (g);
    const Colour colours[] = { Colour (45, 45, 45), Colour (40, 220, 70), Colour (255, 196, 20), Colour (255, 48, 40) };
    for (int f = 0; f < 4; ++f)
    {
        const float x = float (f * 5);
        g.setColour (colours[f].darker (0.6f));
        g.fillEllipse (x + 0.2f, 0.2f, 4.6f, 4.6f);
        g.setColour (colours[f]);
        g.fillEllipse (x + 0.8f, 0.8f, 3.4f, 3.4f);
        if (f > 0)
        {
            g.setColour (juce::Colours::white.withAlpha (0.7f));
            g.fillRect (int (x) + 2, 1, 1, 1);
        }
    }
    return img;
}

Image aboutLogo()
{
    auto img = blank (105, 66);
    Graphics g (img);
    inUnits (g);
    const juce::Rectangle<float> badge (1.0f, 1.0f, 103.0f, 64.0f);
    g.setGradientFill (juce::ColourGradient (Colour (58, 59, 64), 0.0f, 0.0f, Colour (22, 22, 24), 0.0f, 66.0f, false));
    g.fillRoundedRectangle (badge, 8.0f);
    g.setColour (Colour (255, 255, 255).withAlpha (0.25f));
    g.drawRoundedRectangle (badge.reduced (0.5f), 7.5f, 1.0f);

    // Three small faders at different heights.
    const float caps[] = { 30.0f, 18.0f, 38.0f };
    for (int i = 0; i < 3; ++i)
    {
        const float x = 12.0f + float (i) * 9.0f;
        g.setColour (Colour (5, 5, 5));
        g.fillRoundedRectangle (x - 1.0f, 10.0f, 2.0f, 42.0f, 1.0f);
        g.setColour (Colour (200, 200, 204));
        g.fillRoundedRectangle (x - 3.5f, caps[i], 7.0f, 5.0f, 1.0f);
        g.setColour (Colour (70, 220, 90));
        g.fillRect (x - 3.0f, caps[i] + 2.0f, 6.0f, 1.0f);
    }
    wordmark (g, { 38.0f, 8.0f, 62.0f, 34.0f }, 30.0f, Colour (245, 245, 247));
    g.setColour (Colour (70, 220, 90));
    g.fillRect (42.0f, 44.0f, 54.0f, 1.5f);
    g.setColour (Colour (170, 170, 175));
    g.setFont (boldFont (8.5f).withExtraKerningFactor (0.2f));
    g.drawText ("CONSOLE", 38, 47, 62, 10, juce::Justification::centred, false);
    return img;
}

// The tray icon is also the program's icon: the same 16-unit drawing at any size.
Image trayIcon (int size = 16)
{
    auto img = blank (size, size);
    Graphics g (img);
    g.addTransform (juce::AffineTransform::scale (float (size) / 16.0f));
    g.setColour (Colour (30, 31, 34));
    g.fillRoundedRectangle (0.5f, 0.5f, 15.0f, 15.0f, 3.0f);
    g.setColour (Colour (110, 110, 115));
    g.drawRoundedRectangle (0.5f, 0.5f, 15.0f, 15.0f, 3.0f, 1.0f);
    const float caps[] = { 8.0f, 4.0f, 10.0f };
    for (int i = 0; i < 3; ++i)
    {
        const float x = 4.0f + float (i) * 4.0f;
        g.setColour (Colour (0, 0, 0));
        g.fillRect (x - 0.5f, 3.0f, 1.0f, 10.0f);
        g.setColour (i == 1 ? Colour (70, 220, 90) : Colour (225, 225, 228));
        g.fillRect (x - 1.5f, caps[i], 3.0f, 2.0f);
    }
    return img;
}
} // namespace

int main (int argc, char* argv[])
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: arx-draw-skin <output folder>\n");
        return 2;
    }
    juce::ScopedJuceInitialiser_GUI gui;
    const juce::File dir (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    if (! dir.createDirectory())
    {
        std::fprintf (stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    struct Job { const char* name; Image (*draw)(); PngKind kind; bool twice; };
    const Job jobs[] = {
        { "input_strip", inputStrip, PngKind::rgb, true },
        { "playback_column", playbackColumn, PngKind::palette, true },
        { "output_column", outputColumn, PngKind::rgb, true },
        { "logo", logo, PngKind::rgb, true },
        { "warning_panel", warningPanel, PngKind::palette, true },
        { "solo_light", soloLight, PngKind::rgb, true },
        { "meter_lit", [] { return meter (true); }, PngKind::rgb, true },
        { "meter_unlit", [] { return meter (false); }, PngKind::rgb, true },
        { "fader_track", faderTrack, PngKind::rgb, true },
        { "fader_cap", faderCap, PngKind::rgba, true },
        { "knob_filmstrip", knobFilmstrip, PngKind::rgb, true },
        { "activity_lights", activityLights, PngKind::palette, true },
        { "about_logo", aboutLogo, PngKind::rgba, true },
        { "tray_icon", [] { return trayIcon(); }, PngKind::rgba, false }, // the system tray scales its own icons
    };

    int failures = 0;
    for (int s : { 1, 2 })
    {
        scale = s;
        for (auto& job : jobs)
        {
            if (s == 2 && ! job.twice)
                continue;
            const auto name = juce::String (job.name) + (s == 2 ? "_2x.png" : ".png");
            if (! writePng (job.draw(), job.kind, dir.getChildFile (name)))
            {
                std::fprintf (stderr, "cannot write %s\n", name.toRawUTF8());
                ++failures;
            }
        }
    }
    // The program's icon in the sizes of the desktop's icon theme, for the packages.
    const juce::File icons (dir.getChildFile ("icons"));
    icons.createDirectory();
    for (const int size : { 16, 22, 24, 32, 48, 64, 128, 256 })
    {
        const auto name = "arx-console-" + juce::String (size) + ".png";
        if (! writePng (trayIcon (size), PngKind::rgba, icons.getChildFile (name)))
        {
            std::fprintf (stderr, "cannot write %s\n", name.toRawUTF8());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
