#include "mixer/EditPath.h"

#include "console/ConsoleState.h"

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

    void handleAsyncUpdate() override
    {
        // An edit of this turn is a step of its own, before the device's values join the state.
        if (path.gestures == 0)
        {
            path.flush();
            path.committed = MixSnapshot::of (path.state);
        }
        path.tell (false);
    }

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
    stepOpen = false;
}

void EditPath::edit (const std::function<void()>& change)
{
    change();
    // Showing a restored state is part of its undo, never a step of its own.
    if (restoring)
        return;
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

void EditPath::handleAsyncUpdate()
{
    tell (true);
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

    auto now = MixSnapshot::of (state);
    auto diff = MixDiff::between (committed, now);
    committed = std::move (now);
    if (diff.isEmpty())
        return;

    history.beginNewTransaction();
    history.perform (new Step (*this, std::move (diff)));
    history.beginNewTransaction();
}

void EditPath::tell (bool isEdit)
{
    auto now = MixSnapshot::of (state);
    if (now == heard)
        return;
    const auto changes = MixDiff::between (heard, now).changes();
    heard = std::move (now);
    listeners.call ([&] (Listener& l) { l.mixChanged (changes, isEdit); });
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
    committed = MixSnapshot::of (state);
    tell (true);
}

} // namespace arx
