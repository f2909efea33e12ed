#include "firmware/FlashThread.h"

#include "console/SessionImage.h"
#include "device/FlashLayout.h"

#include <algorithm>

namespace arx
{
namespace
{
constexpr uint32_t erased = 0xFFFFFFFFu;

const char* const completeText = "Flash update complete.  Please disconnect the power cable from your ARX and then plug it back in.";
const char* const silentText = "The ARX stopped answering, so the flash update did not finish.  Please try again.";
const char* const readFailedText = "Unable to read flash memory";
const char* const busyText = "The flash memory of the ARX stayed busy, so the flash update did not finish.  Please try again.";

juce::uint32 now() noexcept { return juce::Time::getMillisecondCounter(); }
bool expired (juce::uint32 since, int limitMs) noexcept { return now() - since >= (juce::uint32) limitMs; }
} // namespace

FlashThread::FlashThread (Device::Ptr dev, FlashProgress& progressWindow, juce::Array<juce::File> imageFiles,
                          std::function<void()> finished)
    : juce::Thread ("FlashThread"), device (std::move (dev)), window (progressWindow), files (std::move (imageFiles)),
      finishedCallback (std::move (finished))
{
}

FlashThread::~FlashThread()
{
    stopThread (3000);
}

juce::String FlashThread::getResultText() const
{
    const juce::ScopedLock sl (resultLock);
    return resultText;
}

void FlashThread::setResultText (const juce::String& text)
{
    const juce::ScopedLock sl (resultLock);
    resultText = text;
}

int FlashThread::fail (int code, const juce::String& text)
{
    setResultText (text);
    return code;
}

//==============================================================================
void FlashThread::run()
{
    const bool opened = device->open();

    int code = loadImages();
    for (int i = 0; i < (int) images.size() && code == 0; ++i)
        code = flashImage (i);

    if (code == 0)
    {
        const auto settingsNote = eraseSettings();
        setResultText (settingsNote.isEmpty() ? juce::String (completeText) : completeText + ("\n\n" + settingsNote));
        complete = true;
    }

    if (opened)
        device->close();
    if (finishedCallback)
        finishedCallback();
}

// A file refused after another image went in would leave the device with firmware of two
// versions: every file is checked before anything is erased.
int FlashThread::loadImages()
{
    for (const auto& file : files)
    {
        auto image = std::make_unique<DatImage>();
        juce::String error;
        if (! image->load (file, error))
            return fail (1, error);
        images.push_back (std::move (image));
    }
    return 0;
}

int FlashThread::flashImage (int index)
{
    window.setTitle (device->uniqueName()
                     + juce::String::formatted (" - Updating image %d of %d", index + 1, (int) images.size()));

    const auto& image = *images[(size_t) index];
    window.setDescription (image.description());
    progressStep = image.progressStep();
    return updateImage ({ image.startAddress(), (uint32_t) image.quadCount(), image.data() });
}

int FlashThread::updateImage (const Range& range)
{
    window.setStatus ("reading...");
    bool identical = true;
    // A flash that cannot be read is not known to hold the image: that fails, it is no skip.
    if (const int code = comparePass (range, identical); code != 0)
        return code;
    if (identical)
        return 0;

    device->flashLock (0);

    window.setStatus ("erasing...");
    if (const int code = erasePass (range); code != 0)
        return code;

    window.setStatus ("writing...");
    if (const int code = writePass (range); code != 0)
        return code;

    if (const int code = settle(); code != 0)
        return code;
    device->flashLock (1);

    window.setStatus ("verifying...");
    identical = true;
    int code = comparePass (range, identical);
    if (code == 0 && ! identical)
        code = fail (1, "Verification failed - the flash memory does not hold the image");

    window.setMinimumStep (0.0f);
    window.setProgress (1.0f);
    juce::Thread::sleep (100);
    return code;
}

// The device starts with its default mixer: the sector holding the stored settings is erased.
// A base that leaves no room for the session area is a fault of the device's, and the sector it
// names may hold anything (near the top of the address space the next sector is address 0).
juce::String FlashThread::eraseSettings()
{
    uint32_t base = 0;
    if (device->getSessionBase (base) != Device::resultOk)
        return {};
    if (! SessionImage::fitsFlashAt (base))
        return juce::String::formatted ("The stored mixer settings were not erased: the ARX reports them at 0x%08X, "
                                        "outside its flash memory.",
                                        base);
    erasePass ({ base, 1, nullptr });
    return {};
}

//==============================================================================
void FlashThread::startPass()
{
    window.resetProgress();
    progressValue = 0.0f;
    watchdogStart = now();
}

void FlashThread::advance (uint32_t quads)
{
    progressValue += progressStep * (float) quads;
    window.setProgress (progressValue);
}

// Written flash is busy for a while; the part refuses commands until it is ready.
int FlashThread::settle()
{
    return mayBeBusy ? waitUntilReady (writeBusyMs, writePollMs) : 0;
}

int FlashThread::attempt (const std::function<int()>& transaction, const char* failureText)
{
    if (const int code = settle(); code != 0)
        return code;

    for (;;)
    {
        if (threadShouldExit())
            return fail (1, "Flash update interrupted");

        const int code = transaction();
        if (code == Device::resultOk)
        {
            watchdogStart = now();
            return code;
        }
        if (code != Device::resultTimeout)
            return fail (code, failureText);
        if (expired (watchdogStart, watchdogMs))
            return fail (Device::resultTimeout, silentText);
        wait (1);
    }
}

int FlashThread::waitUntilReady (int firstWaitMs, int pollMs)
{
    const auto start = now();
    if (firstWaitMs > 0)
        wait (firstWaitMs);

    for (int polls = 1;; ++polls)
    {
        bool ready = false;
        const int code = device->flashStatus (ready);
        if (code > 0)
            return fail (code, "Unable to get flash memory status");
        if (code == Device::resultOk && ready)
        {
            learnBusyTime (polls == 1, firstWaitMs, (int) (now() - start));
            mayBeBusy = false;
            watchdogStart = now();
            return 0;
        }
        if (expired (start, watchdogMs))
            return fail (1, busyText);
        wait (pollMs);
        if (threadShouldExit())
            return fail (1, "Flash update interrupted");
    }
}

// The next write is expected to keep the flash busy about as long as the last one: wait that
// long before the first poll. Ready at once means the wait may have been too long.
void FlashThread::learnBusyTime (bool readyAtOnce, int waitedMs, int elapsedMs)
{
    const int estimate = readyAtOnce ? waitedMs - std::max (1, waitedMs / 8) : elapsedMs;
    writeBusyMs = juce::jlimit (0, maxBusyEstimateMs, estimate);
}

//==============================================================================
int FlashThread::comparePass (const Range& range, bool& identical)
{
    startPass();
    uint32_t address = range.address;
    const uint32_t* expected = range.data;

    for (uint32_t remaining = range.quads; remaining > 0;)
    {
        const int count = (int) std::min<uint32_t> (remaining, Device::maxBlockQuadlets);
        if (const int code = attempt ([&] { return device->flashRead (address, count, readBuffer); }, readFailedText);
            code != 0)
            return code;

        if (! std::equal (readBuffer, readBuffer + count, expected))
        {
            identical = false;
            return 0;
        }

        address += 4u * (uint32_t) count;
        expected += count;
        remaining -= (uint32_t) count;
        advance ((uint32_t) count);
    }
    return 0;
}

// Every sector the range touches is erased, also when the range does not start on a sector.
int FlashThread::erasePass (const Range& range)
{
    startPass();
    const uint64_t end = range.address + 4ull * range.quads;

    for (uint64_t address = range.address; address < end;)
    {
        const uint32_t size = FlashLayout::sectorSize (address);
        const auto sector = (uint32_t) (address - address % size);

        if (const int code = attempt ([&] { return device->flashErase (sector); }, "Unable to erase flash memory");
            code != 0)
            return code;
        mayBeBusy = true;
        if (const int code = waitUntilReady (0, erasePollMs); code != 0)
            return code;

        const uint64_t sectorEnd = std::min<uint64_t> (sector + (uint64_t) size, end);
        if (const int code = blankCheck ((uint32_t) address, (uint32_t) ((sectorEnd - address) / 4)); code != 0)
            return code;
        address = sectorEnd;
    }
    return 0;
}

int FlashThread::blankCheck (uint32_t address, uint32_t quads)
{
    while (quads > 0)
    {
        const int count = (int) std::min<uint32_t> (quads, Device::maxBlockQuadlets);
        if (const int code = attempt ([&] { return device->flashRead (address, count, readBuffer); }, readFailedText);
            code != 0)
            return code;
        if (! std::all_of (readBuffer, readBuffer + count, [] (uint32_t q) { return q == erased; }))
            return fail (1, "Verification failed - unable to erase flash memory");

        address += 4u * (uint32_t) count;
        quads -= (uint32_t) count;
        advance ((uint32_t) count);
    }
    return 0;
}

int FlashThread::writePass (const Range& range)
{
    startPass();
    uint32_t address = range.address;
    const uint32_t* data = range.data;

    for (uint32_t remaining = range.quads; remaining > 0;)
    {
        const int count = (int) std::min<uint32_t> (remaining, Device::maxBlockQuadlets);
        if (const int code = attempt ([&] { return device->flashWrite (address, count, data); },
                                      "Unable to write flash memory");
            code != 0)
            return code;
        mayBeBusy = true;

        address += 4u * (uint32_t) count;
        data += count;
        remaining -= (uint32_t) count;
        advance ((uint32_t) count);
    }
    return 0;
}

} // namespace arx
