#pragma once

// The device's mixer snapshot as it lies in the "session" area of its flash, in session files
// (behind their 64-byte header) and at the start of every ConsoleState. Read and written as laid
// out in memory: little-endian 32-bit words, then byte records.

#include "device/FlashLayout.h"

#include <cstddef>
#include <cstdint>

namespace arx
{

// One input, playback or output channel's record.
struct ChannelRecord
{
    static constexpr int aliasFieldSize = 22; // up to 21 characters and their NUL
    static constexpr int maxAliasLength = aliasFieldSize - 1;

    uint8_t mute; // non-zero = muted (playback and output channels)
    uint8_t solo; // non-zero = solo (playback channels)
    char alias[aliasFieldSize]; // 8-bit text
};

struct SessionImage
{
    static constexpr int maxChannels = 40;
    static constexpr uint32_t quadletCount = 3348;
    static constexpr size_t byteCount = quadletCount * 4;
    static constexpr uint32_t writeBackVersion = 512;

    // Bytes from here to the end are kept by the device with each quadlet's bytes reversed.
    static constexpr size_t reversedRegionStart = 7312;

    // The CRC covers everything after imageLength and imageCrc.
    static constexpr size_t crcRegionStart = 8;

    // flags bits the console uses; the others are written back as read.
    static constexpr uint32_t flagSpdifFormat = 1u << 1;
    static constexpr uint32_t flagGuitarHexMode = 1u << 29;
    static constexpr uint32_t flagGuitarAutoCharge = 1u << 30;

    // monitorFlags bits
    static constexpr uint8_t monitorMuteBit = 1;
    static constexpr uint8_t monitorSoloBit = 2;

    uint32_t imageLength; // quadletCount in a valid image
    uint32_t imageCrc;
    uint32_t imageVersion;
    uint32_t flags;
    uint32_t reserved4to5[2];
    uint32_t clockSource;
    uint32_t sampleRate;
    uint32_t monitorGain[maxChannels][maxChannels]; // [input][output], gain codes
    uint32_t playbackGain[maxChannels];
    uint32_t outputGain[maxChannels];
    uint32_t guitarSetting; // charge delay in seconds
    uint32_t reserved1689to1827[139];
    ChannelRecord inputChannel[maxChannels];
    uint8_t monitorPan[maxChannels][maxChannels]; // [input][output], pan codes
    uint8_t monitorFlags[maxChannels][maxChannels]; // [input][output], mute and solo bits
    ChannelRecord playbackChannel[maxChannels];
    ChannelRecord outputChannel[maxChannels];

    // Whether a session area at `base` lies wholly inside the flash.
    static constexpr bool fitsFlashAt (uint32_t base) noexcept { return FlashLayout::holds (base, byteCount); }

    uint8_t* bytes() noexcept { return reinterpret_cast<uint8_t*> (this); }
    const uint8_t* bytes() const noexcept { return reinterpret_cast<const uint8_t*> (this); }
    uint32_t* quadlets() noexcept { return reinterpret_cast<uint32_t*> (this); }
    const uint32_t* quadlets() const noexcept { return reinterpret_cast<const uint32_t*> (this); }
};

static_assert (sizeof (ChannelRecord) == 24);
static_assert (offsetof (ChannelRecord, alias) == 2);

static_assert (offsetof (SessionImage, imageLength) == 0);
static_assert (offsetof (SessionImage, imageCrc) == 4);
static_assert (offsetof (SessionImage, imageVersion) == 8);
static_assert (offsetof (SessionImage, flags) == 12);
static_assert (offsetof (SessionImage, reserved4to5) == 16);
static_assert (offsetof (SessionImage, clockSource) == 24);
static_assert (offsetof (SessionImage, sampleRate) == 28);
static_assert (offsetof (SessionImage, monitorGain) == 32);
static_assert (offsetof (SessionImage, playbackGain) == 6432);
static_assert (offsetof (SessionImage, outputGain) == 6592);
static_assert (offsetof (SessionImage, guitarSetting) == 6752);
static_assert (offsetof (SessionImage, reserved1689to1827) == 6756);
static_assert (offsetof (SessionImage, inputChannel) == SessionImage::reversedRegionStart);
static_assert (offsetof (SessionImage, monitorPan) == 8272);
static_assert (offsetof (SessionImage, monitorFlags) == 9872);
static_assert (offsetof (SessionImage, playbackChannel) == 11472);
static_assert (offsetof (SessionImage, outputChannel) == 12432);
static_assert (sizeof (SessionImage) == SessionImage::byteCount);
static_assert (SessionImage::byteCount == 13392);
static_assert ((SessionImage::byteCount - SessionImage::reversedRegionStart) % 4 == 0);

} // namespace arx
