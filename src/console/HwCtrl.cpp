#include "console/HwCtrl.h"

#include "console/hwthread.h"

namespace arx
{

HwCtrl::HwCtrl (HwCtrlHost& host) : thread (&host.getHwThread())
{
    host.addControl (*this);
}

HwCtrl::HwCtrl (hwthread& owningThread) : thread (&owningThread)
{
}

void HwCtrl::onGetResult (int code, juce::Component* component)
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
    juce::Thread::sleep (hwthread::retryDelayMs);
    thread->queueGet (*this);
}

void HwCtrl::onSetResult (int code)
{
    if (code < 0)
    {
        juce::Logger::outputDebugString (juce::String::formatted ("Console - set rval is %d - sleeping", code));
        juce::Thread::sleep (hwthread::retryDelayMs);
        thread->queueSet (*this);
    }
    else if (code > 0)
    {
        juce::Logger::outputDebugString (juce::String::formatted ("Console - hard error for set - rval %d", code));
    }
}

} // namespace arx
