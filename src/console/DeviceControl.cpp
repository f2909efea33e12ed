#include "console/DeviceControl.h"

#include "console/HardwareThread.h"

namespace arx
{

void DeviceControlHost::commitEdit (DeviceControl& control, const std::function<void()>& change)
{
    control.applyEdit (change);
}

DeviceControl::DeviceControl (DeviceControlHost& owner) : thread (&owner.getHardwareThread()), editHost (&owner)
{
    owner.addControl (*this);
}

DeviceControl::DeviceControl (HardwareThread& owningThread) : thread (&owningThread)
{
}

void DeviceControl::onGetResult (int code, juce::Component* component)
{
    if (code == 0)
    {
        if (component != nullptr)
        {
            component->postCommandMessage (0);
            if (editHost != nullptr)
                editHost->deviceValueArrived();
        }
        return;
    }

    if (code > 0)
    {
        juce::Logger::outputDebugString (juce::String::formatted ("Console - hard error for get - rval %d", code));
        return;
    }

    juce::Logger::outputDebugString (juce::String::formatted ("Console - get rval is %d - sleeping", code));
    juce::Thread::sleep (HardwareThread::retryDelayMs);
    thread->queueGet (*this);
}

void DeviceControl::onSetResult (int code)
{
    if (code < 0)
    {
        juce::Logger::outputDebugString (juce::String::formatted ("Console - set rval is %d - sleeping", code));
        juce::Thread::sleep (HardwareThread::retryDelayMs);
        thread->queueSet (*this);
    }
    else if (code > 0)
    {
        juce::Logger::outputDebugString (juce::String::formatted ("Console - hard error for set - rval %d", code));
    }
}

void DeviceControl::commitEdit (const std::function<void()>& change)
{
    if (editHost != nullptr)
        editHost->commitEdit (*this, change);
    else
        applyEdit (change);
}

void DeviceControl::beginGesture()
{
    if (editHost != nullptr)
        editHost->gestureStarted();
}

void DeviceControl::endGesture()
{
    if (editHost != nullptr)
        editHost->gestureEnded();
}

void DeviceControl::applyEdit (const std::function<void()>& change)
{
    const juce::ScopedLock sl (editLock);
    change();
    ++edits;
    thread->queueSet (*this);
}

bool DeviceControl::takeRead (uint32_t editsBefore, const std::function<void()>& take)
{
    return takeReadUnless (editsBefore, [this] { return thread->isQueuedForSet (*this); }, take);
}

bool DeviceControl::takeReadUnless (uint32_t editsBefore, const std::function<bool()>& editWaits,
                                    const std::function<void()>& take)
{
    const juce::ScopedLock sl (editLock);
    if (edits.load() != editsBefore || editWaits())
        return false;
    take();
    return true;
}

} // namespace arx
