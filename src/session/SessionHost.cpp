#include "session/SessionHost.h"

#include "console/HwCtrl.h"
#include "console/hwthread.h"

namespace arx
{

void SessionHost::refreshAndQueueAll (HwCtrl* first, ConsoleState& state)
{
    for (auto* control = first; control != nullptr; control = control->getNextInWindow())
    {
        control->refresh (state, true);
        control->getThread().queueSet (*control);
    }
}

void SessionHost::resetAndQueueAll (HwCtrl* first)
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
