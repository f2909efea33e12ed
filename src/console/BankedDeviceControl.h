#pragma once

#include "console/DeviceControl.h"
#include "console/MixSnapshot.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace arx
{

// A control that covers several channels (banks) and sends one dirty bank per turn, so that a
// control with many dirty banks takes turns with the others.
class BankedDeviceControl : public DeviceControl
{
public:
    static constexpr int maxBanks = 64;

    using DeviceControl::DeviceControl;

    // Message thread (user edits, refresh with markAll) or hardware thread.
    void markBank (int bank);
    void markBanks (int first, int end, int step);

    // Hardware thread: the lowest dirty bank, now clean, or -1 when none is left.
    int takeNextBank();

    // Message thread, after an undo, a redo or a recall wrote `changes` into the state: marks
    // the banks that hold one of them, so that only what changed goes to the device.
    void markChanged (const std::vector<MixChange>& changes);

    uint64_t getPendingBanks() const noexcept { return pendingBanks.load(); }
    bool isBankPending (int bank) const noexcept;

protected:
    // The bank of this control that sends `change`, or -1 when this control does not send it.
    virtual int bankOf (const MixChange& change) const noexcept = 0;

    // Hardware thread: takeRead for an answer about `bank`; an edit of that bank waits while
    // the bank is marked.
    bool takeBankRead (uint32_t editsBefore, int bank, const std::function<void()>& take)
    {
        return takeReadUnless (editsBefore, [this, bank] { return isBankPending (bank); }, take);
    }

    // Hardware thread, from set(): sends `bank` with `send` (which returns a command result
    // code), hands the code on, and queues this control again so that the other dirty banks
    // follow. A bank whose send timed out is marked dirty again so the edit is not lost.
    template <typename SendFn>
    void sendNextBank (SendFn&& send)
    {
        const int bank = takeNextBank();
        if (bank < 0)
            return;

        onBankSetResult (send (bank), bank);
    }

    void onBankSetResult (int code, int bank);

    // Hardware thread, from set(): as sendNextBank, but a bank whose value the device is known
    // to hold already goes without a command, so that a session load or a reset sends only
    // what differs. `valueOf (bank)` is the bank's value as the console state holds it, and
    // `send (bank, value)` sends exactly that value. A value becomes known when its send
    // succeeded; a send that failed or timed out leaves the device's value unknown (it may hold
    // either), and so does a read (forgetDeviceValue).
    template <typename ValueFn, typename SendFn>
    void sendNextChangedBank (ValueFn&& valueOf, SendFn&& send)
    {
        const int bank = takeNextBank();
        if (bank < 0)
            return;

        const auto value = uint32_t (valueOf (bank));
        if (deviceHolds (bank, value))
        {
            queueSetWhilePending();
            return;
        }

        const int code = send (bank, value);
        rememberDeviceValue (bank, value, code == 0);
        onBankSetResult (code, bank);
    }

    // Hardware thread, from get(): the state now holds what the device answered, which a sent
    // value no longer describes.
    void forgetDeviceValue (int bank) noexcept;

private:
    friend class HardwareThread;

    bool deviceHolds (int bank, uint32_t value) const noexcept;
    void rememberDeviceValue (int bank, uint32_t value, bool held) noexcept;
    void queueSetWhilePending();

    // What the device holds per bank as far as this control sent it. Hardware thread only.
    std::array<uint32_t, maxBanks> deviceValue {};
    uint64_t deviceValueKnown = 0;

    // Changed only under the thread's queue lock; read without it for the empty check.
    std::atomic<uint64_t> pendingBanks { 0 };
};

} // namespace arx
