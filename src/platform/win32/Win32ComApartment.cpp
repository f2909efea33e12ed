#include "platform/win32/Win32ComApartment.h"

namespace arx::platform::win32
{

Win32ComApartment::Ptr Win32ComApartment::acquire()
{
    static std::mutex made;
    static std::weak_ptr<Win32ComApartment> current;
    const std::lock_guard<std::mutex> guard (made);
    if (auto existing = current.lock())
        return existing;

    Ptr apartment (new Win32ComApartment());
    apartment->thread = std::thread ([a = apartment.get()] { a->serve(); });
    {
        std::unique_lock<std::mutex> l (apartment->lock);
        apartment->wake.wait (l, [&] { return apartment->started != E_PENDING; });
    }
    if (FAILED (apartment->started))
    {
        juce::Logger::writeToLog ("COM - CoInitializeEx failed: " + juce::String::toHexString ((int) apartment->started));
        return nullptr; // the thread has ended; the destructor joins it
    }
    current = apartment;
    return apartment;
}

Win32ComApartment::~Win32ComApartment()
{
    {
        const std::lock_guard<std::mutex> guard (lock);
        leaving = true;
    }
    wake.notify_all();
    if (thread.joinable())
        thread.join();
}

HRESULT Win32ComApartment::run (const std::function<HRESULT()>& work)
{
    const std::lock_guard<std::mutex> one (callerLock);
    std::unique_lock<std::mutex> l (lock);
    task = &work;
    done = false;
    wake.notify_all();
    wake.wait (l, [this] { return done; });
    task = nullptr;
    return result;
}

void Win32ComApartment::serve()
{
    const HRESULT hr = ::CoInitializeEx (nullptr, COINIT_MULTITHREADED);
    std::unique_lock<std::mutex> l (lock);
    started = SUCCEEDED (hr) ? S_OK : hr;
    wake.notify_all();
    if (FAILED (hr))
        return;

    for (;;)
    {
        wake.wait (l, [this] { return leaving || (task != nullptr && ! done); });
        if (leaving)
            break;
        try
        {
            result = (*task)();
        }
        catch (...)
        {
            result = E_OUTOFMEMORY; // nothing else the work does throws
        }
        done = true;
        wake.notify_all();
    }
    l.unlock();
    ::CoUninitialize();
}

} // namespace arx::platform::win32
