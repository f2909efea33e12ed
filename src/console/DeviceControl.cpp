#include "console/DeviceControl.h"

#include "console/HardwareThread.h"

namespace arx
{

DeviceControl::DeviceControl (DeviceControlHost& host) : thread (&host.getHardwareThread())
{
    host.addControl (*this);
}

DeviceControl::DeviceControl (HardwareThread& owningThread) : thread (&owningThread)
{
}

void DeviceControl::onGetResult (int code, juce::Component* component)
{
    if (code == 0)
    {
        if (component != nullptr)
            component->postCommandMessage (0);
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

} // namespace arx
