#include "mixer/EditPath.h"

#include "console/ConsoleState.h"

#include <unordered_set>

namespace arx
{

// One step of the history. The edit is already in the state when the step is recorded, so the
// first perform() (the UndoManager's own) does nothing.
class EditPath::Step : public juce::UndoableAction
{
public:
    Step (EditPath& p, MixDiff d) : path (p), diff (std::move (d)) {}

    bool perform() override
    {
        if (recorded)
            path.applyStep (diff, false);
        recorded = true;
        return true;
    }

    bool undo() override
    {
        path.applyStep (diff, true);
        return true;
    }

    int getSizeInUnits() override { return 1; }

private:
    EditPath& path;
    const MixDiff diff;
    bool recorded = false;
};

// The hardware thread's reports reach the message thread through their own update, apart from
// the edits' one.
class EditPath::DeviceReports : public juce::AsyncUpdater
{
public:
    explicit DeviceReports (EditPath& p) : path (p) {}
    ~DeviceReports() override { cancelPendingUpdate(); }

    void handleAsyncUpdate() override { path.tellDeviceValues(); }

private:
    EditPath& path;
};

EditPath::EditPath (ConsoleState& consoleState, std::function<void (const MixDiff&)> restoreFn)
    : state (consoleState), restore (std::move (restoreFn)), deviceReports (std::make_unique<DeviceReports> (*this))
{
    start();
}

EditPath::~EditPath()
{
    cancelPendingUpdate();
}

void EditPath::start()
{
    committed = heard = MixSnapshot::of (state);
    history.clearUndoHistory();
    untold.clear();
    stepOpen = false;
}

void EditPath::edit (const std::function<void()>& change)
{
    // What the edit itself changed is told as an edit; anything else in the state since is the
    // device's.
    const auto before = MixSnapshot::of (state);
    change();
    const auto diff = MixDiff::between (before, MixSnapshot::of (state));
    diff.apply (heard, false);

    // Showing a restored state is part of its undo, never a step of its own.
    if (restoring)
        return;
    for (const auto& c : diff.changes())
        untold.push_back (c);
    stepOpen = true;
    triggerAsyncUpdate();
}

void EditPath::replace (const std::function<void()>& change)
{
    // The new state (a loaded file, the reset values) is in place before the window takes it:
    // all that differs from what the listeners heard of is this edit's.
    change();
    const auto now = MixSnapshot::of (state);
    for (const auto& c : MixDiff::between (heard, now).changes())
        untold.push_back (c);
    heard = now;
    stepOpen = true;
    triggerAsyncUpdate();
}

void EditPath::beginGesture()
{
    ++gestures;
}

void EditPath::endGesture()
{
    if (gestures > 0 && --gestures == 0)
        triggerAsyncUpdate();
}

void EditPath::deviceValueArrived()
{
    deviceReports->triggerAsyncUpdate();
}

void EditPath::tellDeviceValues()
{
    deviceReports->cancelPendingUpdate();
    const auto diff = MixDiff::between (heard, MixSnapshot::of (state));
    if (diff.isEmpty())
        return;

    // The device's values are where every step starts and ends, so undo never takes them back.
    diff.apply (heard, false);
    diff.apply (committed, false);
    const auto changes = diff.changes();
    listeners.call ([&] (Listener& l) { l.mixChanged (changes, false); });
}

void EditPath::handleAsyncUpdate()
{
    tellEdits();
    if (gestures == 0)
        commitStep();
}

void EditPath::flush()
{
    if (isUpdatePending())
    {
        cancelPendingUpdate();
        handleAsyncUpdate();
    }
}

void EditPath::commitStep()
{
    if (! stepOpen)
        return;
    stepOpen = false;

    // A device value in the state is not part of the step.
    if (deviceReports->isUpdatePending())
        tellDeviceValues();

    auto now = MixSnapshot::of (state);
    auto diff = MixDiff::between (committed, now);
    committed = std::move (now);
    if (diff.isEmpty())
        return;

    history.beginNewTransaction();
    history.perform (new Step (*this, std::move (diff)));
    history.beginNewTransaction();
}

void EditPath::tellEdits()
{
    if (untold.empty())
        return;
    std::vector<MixChange> changes;
    std::unordered_set<uint32_t> seen;
    for (const auto& c : untold)
        if (seen.insert ((uint32_t (c.kind) << 16) | (uint32_t (c.a) << 8) | uint32_t (c.b)).second)
            changes.push_back (c);
    untold.clear();
    listeners.call ([&] (Listener& l) { l.mixChanged (changes, true); });
}

//==============================================================================
bool EditPath::canUndo() const
{
    return history.canUndo() || stepOpen;
}

bool EditPath::canRedo() const
{
    return history.canRedo();
}

bool EditPath::undo()
{
    // A drag still under way ends its step where it is.
    gestures = 0;
    flush();
    return history.undo();
}

bool EditPath::redo()
{
    gestures = 0;
    flush();
    return history.redo();
}

void EditPath::applyStep (const MixDiff& diff, bool before)
{
    diff.apply (state, before);
    {
        const juce::ScopedValueSetter<bool> busy (restoring, true);
        if (restore)
            restore (diff);
    }
    diff.apply (committed, before);
    diff.apply (heard, before);
    const auto changes = diff.changes();
    listeners.call ([&] (Listener& l) { l.mixChanged (changes, true); });
}

} // namespace arx
