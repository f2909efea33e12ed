#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>

namespace arx
{

// What a bound control shows and the bank it shows it for, kept as one word so that the two
// always belong together: a control's store() may run on the hardware thread (when the control
// queues itself again) while the message thread switches banks.
//
// Threads: set() and setValue() on the message thread; get() from any thread; replaceIfBank()
// on the hardware thread, for a value read from the device.
class ShownValue
{
public:
    struct Snapshot
    {
        int bank;
        float value;
    };

    ShownValue (int bank, float value) noexcept : word (pack (bank, value)) {}

    Snapshot get() const noexcept { return unpack (word.load()); }
    int bank() const noexcept { return get().bank; }
    float value() const noexcept { return get().value; }

    // An exchange, not a store: clang 14 splits a 64-bit atomic store of two packed halves into
    // two plain 32-bit stores, which a reader can see half done.
    void set (int bank, float value) noexcept { word.exchange (pack (bank, value)); }

    // Keeps the bank.
    void setValue (float value) noexcept
    {
        auto old = word.load();
        while (! word.compare_exchange_weak (old, pack (unpack (old).bank, value)))
        {
        }
    }

    // A device read for `bank` is shown only while the control still shows that bank.
    bool replaceIfBank (int bank, float value) noexcept
    {
        auto old = word.load();
        while (unpack (old).bank == bank)
            if (word.compare_exchange_weak (old, pack (bank, value)))
                return true;
        return false;
    }

private:
    static uint64_t pack (int bank, float value) noexcept
    {
        uint32_t bits = 0;
        std::memcpy (&bits, &value, sizeof (bits));
        return (uint64_t (uint32_t (bank)) << 32) | bits;
    }

    static Snapshot unpack (uint64_t w) noexcept
    {
        const auto bits = uint32_t (w);
        float value = 0.0f;
        std::memcpy (&value, &bits, sizeof (value));
        return { int (uint32_t (w >> 32)), value };
    }

    std::atomic<uint64_t> word;
};

} // namespace arx
