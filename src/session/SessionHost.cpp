#include "session/SessionHost.h"

#include "console/DeviceControl.h"
#include "console/HardwareThread.h"

namespace arx
{

void SessionHost::refreshAndQueueAll (DeviceControl* first, ConsoleState& state)
{
    for (auto* control = first; control != nullptr; control = control->getNextInWindow())
    {
        control->refresh (state, true);
        control->getThread().queueSet (*control);
    }
}

void SessionHost::resetAndQueueAll (DeviceControl* first)
{
    for (auto* control = first; control != nullptr; control = control->getNextInWindow())
    {
        control->reset();
        control->getThread().queueSet (*control);
    }
}

void SessionHost::forEachNamed (juce::Component& root, const juce::String& name,
                                const std::function<void (juce::Component&)>& visit)
{
    if (root.getName() == name)
        visit (root);

    for (auto* child : root.getChildren())
        forEachNamed (*child, name, visit);
}

} // namespace arx
