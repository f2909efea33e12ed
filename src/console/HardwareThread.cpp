#include "console/HardwareThread.h"

#include "console/ConsoleState.h"
#include "console/DeviceControl.h"
#include "console/BankedDeviceControl.h"
#include "device/Device.h"
#include "device/FlashLayout.h"


#include <functional>

namespace arx
{

namespace
{
constexpr float progressPerBlock = 1.0f / 55.0f;
constexpr int messageWaitSliceMs = 10;

// Stands in when the owner offers no progress display: the write-back runs all the same.
class SilentProgress : public FlashProgress
{
public:
    void setTitle (const juce::String&) override {}
    void setStatus (const juce::String&) override {}
    void setDescription (const juce::String&) override {}
    void setMinimumStep (float) override {}
    void setProgress (float) override {}
    void resetProgress() override {}
};

int lowestSetBit (uint64_t bits) noexcept
{
    int bit = 0;
    while ((bits & 1) == 0)
    {
        bits >>= 1;
        ++bit;
    }
    return bit;
}

bool expired (juce::uint32 since, int limitMs)
{
    return juce::Time::getMillisecondCounter() - since >= (juce::uint32) limitMs;
}

void logDebug (const char* format, int value)
{
    juce::Logger::outputDebugString (juce::String::formatted (format, value));
}

std::atomic<int> pollPauses { 0 };

// Millisecond counters wrap: compare by their signed difference.
int msFromTo (juce::uint32 from, juce::uint32 to) noexcept
{
    return (int) (to - from);
}

} // namespace

HardwareThread::HardwareThread (Device& dev, ConsoleState& consoleState, Owner* owner)
    : juce::Thread ("HardwareThread"), device (dev), state (consoleState), shared (std::make_shared<Shared>()),
      getQueue { &DeviceControl::nextGet, &DeviceControl::inGetQueue }, setQueue { &DeviceControl::nextSet, &DeviceControl::inSetQueue }
{
    shared->owner = owner;
}

HardwareThread::~HardwareThread()
{
    // Detach first: from here on the thread never waits for the message thread, so joining it
    // from the message thread cannot deadlock. No time limit that kills the thread: a thread
    // killed half-way through a write-back would leave the session area torn. Every command the
    // thread may still send ends within its own time-outs.
    detachWindow();
    requestStop();
    waitForThreadToExit (-1);
}

//==============================================================================
void HardwareThread::queueGet (DeviceControl& ctrl) { enqueue (getQueue, ctrl); }

void HardwareThread::queueSet (DeviceControl& ctrl)
{
    ctrl.store (state);
    enqueue (setQueue, ctrl);
}

void HardwareThread::enqueue (ControlQueue& queue, DeviceControl& ctrl)
{
    {
        const juce::ScopedLock sl (queueLock);
        queue.append (ctrl);
    }
    notify();
}

void HardwareThread::ControlQueue::append (DeviceControl& ctrl)
{
    if (ctrl.*queued)
        return; // already waiting: it will send or fetch the latest value then
    ctrl.*link = nullptr;
    if (tail != nullptr)
        tail->*link = &ctrl;
    else
        head = &ctrl;
    tail = &ctrl;
    ctrl.*queued = true;
}

DeviceControl* HardwareThread::ControlQueue::takeFirst()
{
    DeviceControl* ctrl = head;
    if (ctrl != nullptr)
    {
        head = ctrl->*link;
        if (head == nullptr)
            tail = nullptr;
        ctrl->*link = nullptr;
        ctrl->*queued = false;
    }
    return ctrl;
}

void HardwareThread::markBank (BankedDeviceControl& ctrl, int bank)
{
    if (bank < 0 || bank >= BankedDeviceControl::maxBanks)
        return;

    const juce::ScopedLock sl (queueLock);
    ctrl.pendingBanks = ctrl.pendingBanks.load() | (uint64_t { 1 } << bank);
}

void HardwareThread::markBanks (BankedDeviceControl& ctrl, int first, int end, int step)
{
    if (step <= 0)
        return;

    for (int bank = juce::jmax (0, first); bank < juce::jmin (end, BankedDeviceControl::maxBanks); bank += step)
        markBank (ctrl, bank);
}

int HardwareThread::takeNextBank (BankedDeviceControl& ctrl)
{
    if (ctrl.pendingBanks.load() == 0)
        return -1;

    const juce::ScopedLock sl (queueLock);
    const uint64_t banks = ctrl.pendingBanks.load();
    if (banks == 0)
        return -1;

    const int bank = lowestSetBit (banks);
    ctrl.pendingBanks = banks & ~(uint64_t { 1 } << bank);
    return bank;
}

bool HardwareThread::isQueuedForSet (const DeviceControl& ctrl) const
{
    const juce::ScopedLock sl (queueLock);
    return ctrl.inSetQueue;
}

//==============================================================================
void HardwareThread::setPoller (DeviceControl& control, int intervalMs)
{
    jassert (! isThreadRunning());
    poller = &control;
    pollIntervalMs = juce::jmax (1, intervalMs);
}

void HardwareThread::setPolling (bool on)
{
    if (polling.exchange (on) == on)
        return;
    if (on)
        nextPollMs = juce::Time::getMillisecondCounter();
    notify();
}

HardwareThread::PollPause::PollPause() { ++pollPauses; }
HardwareThread::PollPause::~PollPause() { --pollPauses; }
bool HardwareThread::arePollsPaused() noexcept { return pollPauses.load() > 0; }

int HardwareThread::msUntilPoll() const
{
    if (poller == nullptr || ! polling)
        return -1;
    return juce::jmax (0, msFromTo (juce::Time::getMillisecondCounter(), nextPollMs.load()));
}

void HardwareThread::queuePollIfDue()
{
    if (poller == nullptr || ! polling)
        return;

    const auto now = juce::Time::getMillisecondCounter();
    auto due = nextPollMs.load();
    if (msFromTo (now, due) > 0)
        return;

    // The next poll falls on the program's common grid of the interval, not on this one's time:
    // every window then polls in the same instant and the message thread takes their results in
    // one wake-up. A late poll does not bunch up the ones after it.
    const auto interval = (juce::uint32) pollIntervalMs;
    nextPollMs = (now / interval + 1) * interval;

    if (arePollsPaused())
        return;
    const juce::ScopedLock sl (queueLock);
    getQueue.append (*poller);
}

void HardwareThread::requestStop()
{
    signalThreadShouldExit();
    notify();
}

void HardwareThread::detachWindow()
{
    shared->detached = true;
    notify();
}

void HardwareThread::abandonWriteBack()
{
    abandoned = true;
    notify();
}

//==============================================================================
void HardwareThread::run()
{
    while (! threadShouldExit())
    {
        wait (msUntilPoll());
        queuePollIfDue();
        drain (setQueue, &DeviceControl::set);
        drain (getQueue, &DeviceControl::get);
    }

    writeBack();
}

bool HardwareThread::mayServe() const
{
    return ! isDetached() && ! threadShouldExit();
}

void HardwareThread::drain (ControlQueue& queue, void (DeviceControl::*serve)())
{
    while (mayServe())
    {
        DeviceControl* ctrl = nullptr;
        {
            const juce::ScopedLock sl (queueLock);
            ctrl = queue.takeFirst();
        }
        if (ctrl == nullptr)
            break;
        (ctrl->*serve)();
    }
}

//==============================================================================
bool HardwareThread::callOnMessageThread (std::function<void()> fn)
{
    struct Call
    {
        std::function<void()> fn;
        juce::WaitableEvent done;
    };

    auto call = std::make_shared<Call>();
    call->fn = std::move (fn);

    // Runs on the message thread, where detachWindow also runs: once detached, `fn` (which may
    // refer to this object) is never touched.
    auto s = shared;
    const bool posted = juce::MessageManager::callAsync ([call, s] {
        if (! s->detached.load())
            call->fn();
        call->done.signal();
    });

    if (! posted)
        return false;

    while (! call->done.wait (messageWaitSliceMs))
        if (isDetached())
            return false;

    return ! isDetached();
}

bool HardwareThread::prepareImage()
{
    auto& image = state.image();
    image.imageLength = SessionImage::quadletCount;
    image.imageVersion = SessionImage::writeBackVersion;
    return state.hasChanged() && ! device.isFirmwareRewritten();
}

void HardwareThread::writeBack()
{
    if (abandoned || shared->owner == nullptr)
        return;

    bool changed = false;
    const bool ran = callOnMessageThread ([this, &changed] {
        changed = prepareImage();
        if (changed)
            progress = shared->owner->createFlashProgress();
    });

    // The window went first: its destructor waits for this thread on the message thread, where
    // nothing edits the state any more, so the decision is taken here and nothing is shown.
    if (! ran)
        changed = prepareImage();

    if (changed && ! abandoned)
    {
        SilentProgress silent;
        writeSessionToFlash (progress != nullptr ? *progress : silent);

        // If the owner went meanwhile, the destructor deletes the display instead.
        callOnMessageThread ([this] { progress.reset(); });
    }

    auto s = shared;
    juce::MessageManager::callAsync ([s] {
        if (! s->detached.load() && s->owner != nullptr)
            s->owner->hardwareThreadFinished();
    });
}

void HardwareThread::writeSessionToFlash (FlashProgress& sink)
{
    if (device.getSessionBase (sessionBase) != 0)
    {
        sink.setStatus ("Unable to read session base address");
        return;
    }
    // Erasing from a base without room for the area would hit other data, or wrap to address 0.
    if (! SessionImage::fitsFlashAt (sessionBase))
    {
        sink.setStatus (juce::String::formatted ("Session base address 0x%08X is outside the flash memory", sessionBase));
        juce::Logger::outputDebugString ("Console - session base outside the flash, nothing written");
        return;
    }

    const int lockCode = device.flashLock (1);
    int code = lockCode;
    float value = 0.0f;

    if (code == 0)
        code = eraseSession (sink, value);
    if (code == 0)
        code = writeSession (sink, value);

    sink.setMinimumStep (0.0f);
    sink.setProgress (1.0f);
    juce::Thread::sleep (100);
    device.flashLock (0);

    if (code == 0)
        state.setStoredCrc (state.image().imageCrc);
    else
        logDebug ("Console - session write-back failed - rval %d", code);
}

int HardwareThread::repeatWhileTimingOut (const std::function<int()>& command)
{
    // Writing over an area that was not erased would corrupt it: a command that keeps timing
    // out for the whole window is a failure, not the end of the job.
    const auto windowStart = juce::Time::getMillisecondCounter();
    for (;;)
    {
        if (abandoned)
            return 1;
        const int code = command();
        if (code >= 0 || expired (windowStart, flashWindowMs))
            return code;
    }
}

int HardwareThread::waitUntilReady (int pollMs)
{
    const auto start = juce::Time::getMillisecondCounter();
    for (;;)
    {
        bool ready = false;
        const int code = device.flashStatus (ready);
        if (code > 0)
            return code;
        if (code == 0 && ready)
            return 0;
        if (expired (start, flashWindowMs) || abandoned)
            return 1;
        wait (pollMs);
    }
}

int HardwareThread::eraseSession (FlashProgress& sink, float& value)
{
    sink.setStatus ("erasing...");
    value = 0.0f;

    // Every block the image touches is erased, also when the area does not start on a block
    // boundary.
    const uint32_t end = sessionBase + (uint32_t) SessionImage::byteCount;
    uint32_t address = sessionBase;

    while (address < end)
    {
        const uint32_t blockBytes = FlashLayout::sectorSize (address);
        const uint32_t block = address - address % blockBytes;

        if (const int code = repeatWhileTimingOut ([&] { return device.flashErase (block); }); code != 0)
            return code;
        if (const int ready = waitUntilReady (flashPollMs); ready != 0)
            return ready;

        value += progressPerBlock;
        sink.setProgress (value);
        address = block + blockBytes;
    }

    return 0;
}

int HardwareThread::writeSession (FlashProgress& sink, float& value)
{
    sink.setStatus ("writing...");
    sink.setMinimumStep (0.2f);

    // Written exactly as held: the device's reply to a session read reverses the byte records,
    // not its flash.
    const uint32_t* quads = state.image().quadlets();
    const size_t total = SessionImage::quadletCount;
    uint32_t address = sessionBase;
    size_t done = 0;

    while (done < total)
    {
        const int count = (int) juce::jmin ((size_t) sessionBlockQuadlets, total - done);
        if (const int code = repeatWhileTimingOut ([&] { return device.flashWrite (address, count, quads + done); });
            code != 0)
            return code;
        // The part takes no further command while it programs.
        if (const int ready = waitUntilReady (flashWritePollMs); ready != 0)
            return ready;

        value += progressPerBlock;
        sink.setProgress (value);
        done += (size_t) count;
        address += 4u * (uint32_t) count;
    }

    return 0;
}

} // namespace arx
