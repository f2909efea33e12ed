#pragma once

// COM for the audio objects of the seam. The seam lets any thread call them and release them
// (AudioEndpoints.h), so they live in the multithreaded apartment: a thread of this class's own
// stays in it while any of them lives. Threads that never initialise COM, as the hardware
// threads and the notification thread, then belong to that apartment too, and the system's audio
// libraries stay loaded. Objects are made on the apartment's thread, so they belong to it even
// when JUCE's message thread, a single-threaded apartment, asks for them.
//
// Threads: acquire and run from any thread; run waits for the apartment's thread.

#include "platform/win32/Win32Api.h"

#include <objbase.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace arx::platform::win32
{

// An owned COM interface pointer: Release when it goes.
template <typename Interface>
class ComPtr
{
public:
    ComPtr() = default;
    ComPtr (ComPtr&& other) noexcept : object (std::exchange (other.object, nullptr)) {}
    ComPtr& operator= (ComPtr&& other) noexcept
    {
        reset (std::exchange (other.object, nullptr));
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller holds.
    void reset (Interface* taken = nullptr) noexcept
    {
        if (object != nullptr)
            object->Release();
        object = taken;
    }

    Interface* get() const noexcept { return object; }
    Interface* operator->() const noexcept { return object; }
    explicit operator bool() const noexcept { return object != nullptr; }

    // Where a call that hands out a reference puts it (the old one is released first).
    Interface** put() noexcept
    {
        reset();
        return &object;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**> (put()); }

private:
    Interface* object = nullptr;

    ComPtr (const ComPtr&) = delete;
    ComPtr& operator= (const ComPtr&) = delete;
};

class Win32ComApartment
{
public:
    using Ptr = std::shared_ptr<Win32ComApartment>;

    // The apartment, entered on first use and left when the last holder lets go; null when COM
    // cannot be initialised (the reason is logged).
    static Ptr acquire();
    ~Win32ComApartment();

    // Runs `work` on the apartment's thread and hands back its result. The work must not hold
    // the apartment itself: the apartment cannot end on its own thread.
    HRESULT run (const std::function<HRESULT()>& work);

private:
    Win32ComApartment() = default;
    void serve();

    std::thread thread;
    std::mutex lock;
    std::condition_variable wake;
    const std::function<HRESULT()>* task = nullptr;
    HRESULT result = S_OK;
    HRESULT started = E_PENDING;
    bool done = false, leaving = false;
    std::mutex callerLock; // one run at a time

    JUCE_DECLARE_NON_COPYABLE (Win32ComApartment)
};

} // namespace arx::platform::win32
