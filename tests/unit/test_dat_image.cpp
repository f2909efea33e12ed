// DAT images: the tokenizer, every check in its order with its words, padding and what the
// progress window is told. Files come from the lab's generator where a whole image is needed.

#include "firmware/DatImage.h"
#include "sim/SimFirmware.h"

#include <gtest/gtest.h>

namespace arx
{
namespace
{
const juce::String path = "/opt/arx/arxarm.dat";
const juce::String magic = "1651 1 0 0 0\r\n";

struct Parsed
{
    bool ok = false;
    juce::String error;
};

Parsed parse (DatImage& image, const juce::String& text)
{
    Parsed p;
    p.ok = image.parse (text.toRawUTF8(), text.getNumBytesAsUTF8(), path, p.error);
    return p;
}

juce::String framed (const juce::String& detail) { return "DAT file error\n\n" + path + detail; }

// A header of 64 values with the given fields (others 0), then `data`, one value per line.
juce::String datWith (std::vector<uint32_t> fields, const std::vector<uint32_t>& data)
{
    fields.resize (DatImage::headerQuads, 0);
    juce::String text = magic;
    for (auto q : fields)
        text << juce::String::toHexString ((juce::int64) q) << "\r\n";
    for (auto q : data)
        text << juce::String::toHexString ((juce::int64) q) << "\r\n";
    return text;
}

TEST (DatImage, MagicNumbersAreCheckedInOrderWithTheirOwnWords)
{
    DatImage image;
    EXPECT_EQ (parse (image, "").error, framed (" has no data."));
    EXPECT_EQ (parse (image, "1651 1 0 0\n").error, framed ("\n\nIncomplete DAT header"));
    EXPECT_EQ (parse (image, "1651 1 0 0 1\n").error, framed ("\n\nBad magic number"));
    EXPECT_EQ (parse (image, "1651 one 0 0 0\n").error, framed ("\n\nNot enough magic numbers in header"));

    // Digits followed by letters read as the digits; the magic alone leaves no header at all,
    // whose type reads as the fill value and is checked first.
    EXPECT_EQ (parse (image, "1651abc 1 0 0 0\n").error, "Invalid DAT type");
    EXPECT_EQ (parse (image, magic).error, "Invalid DAT type");

    // A file of zero bytes on disk says the same as an empty buffer.
    juce::TemporaryFile empty (".dat");
    ASSERT_TRUE (empty.getFile().replaceWithText ({}));
    juce::String error;
    EXPECT_FALSE (image.load (empty.getFile(), error));
    EXPECT_EQ (error, "DAT file error\n\n" + empty.getFile().getFullPathName() + " has no data.");
}

TEST (DatImage, TokensSplitAtControlCharactersAndBlanksButNotAtTabs)
{
    DatImage image;
    // STX and ETX separate like line ends; "12zz" reads as 0x12, "1\t2" as 1.
    auto text = datWith ({ 1, 0x10000, 3 }, {});
    text << "\x02" "12zz" "\x03" "1\t2 0xAbC\r\n";
    const auto p = parse (image, text);
    ASSERT_TRUE (p.ok) << p.error;
    EXPECT_EQ (image.quadCount(), 3);
    EXPECT_EQ (image.data()[0], 0x12u);
    EXPECT_EQ (image.data()[1], 1u);
    EXPECT_EQ (image.data()[2], 0xABCu);

    // A value that starts with a letter that is no hexadecimal digit is not a value.
    EXPECT_EQ (parse (image, datWith ({ 1, 0x10000, 1 }, {}) + "zz12\r\n").error, framed ("\n\nNot enough data"));

    // The last byte of the file never belongs to a token: without a line end the last value
    // loses its last character.
    auto cut = datWith ({ 1, 0x10000, 1 }, {}) + "ABCD";
    ASSERT_TRUE (parse (image, cut).ok);
    EXPECT_EQ (image.data()[0], 0xABCu);
}

TEST (DatImage, HeaderChecksRunInOrderAndTheFlashEndIsExact)
{
    DatImage image;
    // Type first, even when everything else is wrong too.
    EXPECT_EQ (parse (image, datWith ({ 7, 0x300000, 0 }, {})).error, "Invalid DAT type");
    EXPECT_EQ (parse (image, datWith ({ 3, 0x10000, 0 }, {})).error, framed ("\n\nQuad count in header is zero."));

    const std::vector<uint32_t> two { 1, 2 };
    const std::vector<uint32_t> lastSector (0x4000, 7);
    EXPECT_TRUE (parse (image, datWith ({ 1, 0x1F0000, 0x4000 }, lastSector)).ok) << "ends exactly at the end";
    EXPECT_EQ (parse (image, datWith ({ 1, 0x200000 - 4, 2 }, two)).error,
               framed ("\n\nImage goes past physical end of flash memory."));
    EXPECT_EQ (parse (image, datWith ({ 1, 0x200000, 1 }, { 1 })).error,
               framed ("\n\nImage goes past physical end of flash memory."));
    // Further out the room wraps around in 32 bits, and the start check catches it.
    EXPECT_EQ (parse (image, datWith ({ 1, 0x300000, 1 }, { 1 })).error,
               framed ("\n\nStart address is past physical end of flash memory."));
    EXPECT_EQ (parse (image, datWith ({ 1, 0x10000, 3 }, two)).error,
               framed ("\n\nHeader quad count does not match file size."));

    // An image starts a sector: 8 KiB ones below 0x10000, 64 KiB ones above.
    EXPECT_TRUE (parse (image, datWith ({ 1, 0xE000, 2 }, two)).ok);
    EXPECT_EQ (parse (image, datWith ({ 1, 0x200000 - 8, 2 }, two)).error,
               framed ("\n\nStart address 0x001FFFF8 is not at the start of a flash sector."));
    EXPECT_EQ (parse (image, datWith ({ 1, 0x12000, 2 }, two)).error,
               framed ("\n\nStart address 0x00012000 is not at the start of a flash sector."));
}

TEST (DatImage, TheLargestImageFitsAndOneValueMoreIsTooLarge)
{
    DatImage image;
    std::vector<uint32_t> data ((size_t) DatImage::maxDataQuads, 0x5A5A5A5Au);
    auto text = sim::SimFirmware::datText (1, 0, data);
    const auto p = parse (image, text);
    ASSERT_TRUE (p.ok) << p.error;
    EXPECT_EQ (image.quadTotal(), DatImage::maxQuads);
    EXPECT_EQ (image.quadCount(), DatImage::maxDataQuads);

    EXPECT_EQ (parse (image, text + "1\r\n").error, "DAT file is too large.");
}

TEST (DatImage, PaddingFillsErasedQuadsAndEndsWithTheVersionAndTheEndQuad)
{
    DatImage image;
    std::vector<uint32_t> data (10, 0x11111111u);
    const auto p = parse (image, sim::SimFirmware::datText (1, 0x10000, data, 0x05020000, 16, 0xE0D0));
    ASSERT_TRUE (p.ok) << p.error;
    ASSERT_EQ (image.quadCount(), 16);
    for (int q = 0; q < 10; ++q)
        EXPECT_EQ (image.data()[q], 0x11111111u);
    for (int q = 10; q < 14; ++q)
        EXPECT_EQ (image.data()[q], 0xFFFFFFFFu);
    EXPECT_EQ (image.data()[14], 0x05020000u);
    EXPECT_EQ (image.data()[15], 0xE0D0u);
    EXPECT_FLOAT_EQ (image.progressStep(), 1.0f / 16.0f);

    // A shorter padded length than the data changes nothing.
    ASSERT_TRUE (parse (image, sim::SimFirmware::datText (1, 0x10000, data, 0x05020000, 4)).ok);
    EXPECT_EQ (image.quadCount(), 10);
}

TEST (DatImage, APaddedLengthBeyondTheBufferOrTheFlashIsRejected)
{
    DatImage image;
    const std::vector<uint32_t> data (4, 1);
    EXPECT_EQ (parse (image, sim::SimFirmware::datText (1, 0, data, 1, DatImage::maxDataQuads + 1)).error,
               framed ("\n\nPadded length is larger than the largest image."));
    EXPECT_EQ (parse (image, sim::SimFirmware::datText (1, 0x1F0000, data, 1, 0x4001)).error,
               framed ("\n\nPadded image goes past physical end of flash memory."));
    EXPECT_TRUE (parse (image, sim::SimFirmware::datText (1, 0x1F0000, data, 1, 0x4000)).ok);
    EXPECT_TRUE (parse (image, sim::SimFirmware::datText (1, 0, data, 1, DatImage::maxDataQuads)).ok);
}

TEST (DatImage, DescriptionNamesTheCodeOfImagesAbove2048Quads)
{
    DatImage image;
    const std::vector<uint32_t> small (2048, 1), large (2049, 1);
    ASSERT_TRUE (parse (image, sim::SimFirmware::datText (1, 0, small, 0x05020000)).ok);
    EXPECT_EQ (image.description(), "");

    const struct { uint32_t type, version; const char* text; } cases[] = {
        { 0, 0x05020000, "DSP code 5.2" },     { 1, 0x05020300, "ARM code 5.2.3" },
        { 2, 0x05020000, "5.2" },              { 3, 0x05030000, "FPGA 5.3" },
        { 1, 0x0502000E, "Backup code 5.2E" },
    };
    for (auto& c : cases)
    {
        ASSERT_TRUE (parse (image, sim::SimFirmware::datText (c.type, 0, large, c.version)).ok);
        EXPECT_EQ (image.description(), c.text);
    }

    // Padding counts: 2000 quads padded to 3000 are described.
    ASSERT_TRUE (parse (image, sim::SimFirmware::datText (3, 0, std::vector<uint32_t> (2000, 1), 0x05020000, 3000)).ok);
    EXPECT_EQ (image.description(), "FPGA 5.2");
}

TEST (DatImage, TheLabsImagesParseAsTheyLieInFlash)
{
    for (auto& layout : sim::SimFirmware::images())
    {
        DatImage image;
        const auto p = parse (image, sim::SimFirmware::datText (layout, 0x05020000));
        ASSERT_TRUE (p.ok) << p.error;
        const auto inFlash = sim::SimFirmware::flashQuads (layout, 0x05020000);
        ASSERT_EQ ((size_t) image.quadCount(), inFlash.size());
        EXPECT_TRUE (std::equal (inFlash.begin(), inFlash.end(), image.data()));
        EXPECT_EQ (image.startAddress(), layout.address);
    }
}

} // namespace
} // namespace arx
