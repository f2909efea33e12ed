#pragma once

// Rewrites the device's flash from DAT files, one image after the other: each image is compared
// with the flash and, where it differs, its sectors are erased and checked blank, the image is
// written and read back. Every file is read and checked before the first erase. After the last
// image the stored mixer settings are erased so that the device starts with its defaults, unless
// the device places them where their erase would hit other data (the result text says so). Every
// step that fails ends the update with a message for the user; a step that the device leaves
// unanswered for 2000 ms fails too.
//
// Threads: constructed, started and deleted on the message thread; run() and every device
// transaction on this thread; the progress sink is fed from this thread (it locks its texts);
// `finished` is called on this thread as the last thing run() does. getResultText() and
// succeeded() may be read from any thread once `finished` has been called.

#include "device/Device.h"
#include "firmware/DatImage.h"
#include "firmware/FlashProgress.h"

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>
#include <vector>

namespace arx
{

class FlashThread : public juce::Thread
{
public:
    static constexpr int watchdogMs = 2000;
    static constexpr int erasePollMs = 100;
    static constexpr int writePollMs = 2;
    static constexpr int maxBusyEstimateMs = 50;

    FlashThread (Device::Ptr device, FlashProgress& window, juce::Array<juce::File> imageFiles,
                 std::function<void()> finished);
    // Asks the thread to stop and waits up to 3000 ms for it.
    ~FlashThread() override;

    juce::String getResultText() const;
    bool succeeded() const noexcept { return complete.load(); }

private:
    // The flash range a pass works on, with the image data it compares with or writes.
    struct Range
    {
        uint32_t address = 0;
        uint32_t quads = 0;
        const uint32_t* data = nullptr;
    };

    void run() override;
    int loadImages();
    int flashImage (int index);
    // Empty when the settings were erased, else what the user is told.
    juce::String eraseSettings();
    int updateImage (const Range& range);

    int comparePass (const Range& range, bool& identical);
    int erasePass (const Range& range);
    int blankCheck (uint32_t address, uint32_t quads);
    int writePass (const Range& range);

    // One transaction, repeated while it times out; fails with `failureText` when the device
    // refuses it, and with its own words when the device stays silent past the watchdog or the
    // thread is asked to stop.
    int attempt (const std::function<int()>& transaction, const char* failureText);
    int settle();
    int waitUntilReady (int firstWaitMs, int pollMs);
    void learnBusyTime (bool readyAtOnce, int waitedMs, int elapsedMs);
    void startPass();
    void advance (uint32_t quads);
    void setResultText (const juce::String& text);
    int fail (int code, const juce::String& text);

    Device::Ptr device;
    FlashProgress& window;
    const juce::Array<juce::File> files;
    std::function<void()> finishedCallback;

    std::vector<std::unique_ptr<DatImage>> images;
    uint32_t readBuffer[Device::maxBlockQuadlets] {};
    float progressValue = 0.0f;
    float progressStep = 1.0f / 1024.0f;
    juce::uint32 watchdogStart = 0;
    bool mayBeBusy = false; // a write or erase may still be under way in the device
    int writeBusyMs = 0;    // how long the last write kept the device busy

    juce::String resultText { "Unknown error" };
    mutable juce::CriticalSection resultLock;
    std::atomic<bool> complete { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FlashThread)
};

} // namespace arx
