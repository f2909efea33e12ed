#pragma once

#include "console/MixSnapshot.h"

#include <juce_data_structures/juce_data_structures.h>
#include <juce_events/juce_events.h>

#include <functional>
#include <memory>

namespace arx
{

class ConsoleState;

// The one way into a console window's mixer: every change a user makes (a control's edit, a
// gang, a name, a session load, a reset, undo and redo) runs through it. It keeps the window's
// undo history, one step per gesture, and tells its listeners of every change of the state,
// the device's own included.
//
// A step is what changed between the state before the gesture and after it (MixDiff): edits
// made in one turn of the message loop (a click, a Ctrl-click group, a ganged move, a load) end
// their step when the loop comes round; a drag ends its step when it ends. Undo writes the
// step's old values into the state and hands the state to the window (`restore`), which shows
// it and queues the device as a session load does.
//
// Listeners hear of edits when the loop comes round, each edit as what it changed itself; what
// else changed in the state is the device's, told as no edit and kept out of every step.
//
// Threads: message thread, except deviceValueArrived() (any thread).
class EditPath : private juce::AsyncUpdater
{
public:
    static constexpr int maxSteps = 500;

    class Listener
    {
    public:
        virtual ~Listener() = default;
        // `isEdit` is false for values the device reported (another program, the device itself).
        virtual void mixChanged (const std::vector<MixChange>& changes, bool isEdit) = 0;
    };

    // `restore (diff)` shows the state in the window and queues the device after an undo or a
    // redo has written the state; `diff` says what it wrote.
    EditPath (ConsoleState& state, std::function<void (const MixDiff&)> restore);
    ~EditPath() override;

    // The state as it is now is where the history starts (the state read at open).
    void start();

    // An edit of a control, a gang, a name: `change` runs at once.
    void edit (const std::function<void()>& change);
    // A session load or a reset, whose new values are in the state already: `change` shows
    // them and queues the device.
    void replace (const std::function<void()>& change);

    void beginGesture();
    void endGesture();

    // Values read from the device are in the state: listeners hear of them, undo leaves them.
    void deviceValueArrived();

    bool undo();
    bool redo();
    bool canUndo() const;
    bool canRedo() const;
    juce::UndoManager& getUndoManager() noexcept { return history; }

    void addListener (Listener* l) { listeners.add (l); }
    void removeListener (Listener* l) { listeners.remove (l); }

    // Ends an open step now (a turn of the message loop that has not come round yet).
    void flush();

private:
    class Step;
    class DeviceReports;

    void handleAsyncUpdate() override;
    void commitStep();
    void tellEdits();
    void tellDeviceValues();
    void applyStep (const MixDiff& diff, bool before);

    ConsoleState& state;
    std::function<void (const MixDiff&)> restore;
    juce::UndoManager history { maxSteps, 1 };
    juce::ListenerList<Listener> listeners;
    std::unique_ptr<DeviceReports> deviceReports;

    MixSnapshot committed; // the state at the end of the last step
    MixSnapshot heard; // the state the listeners know of, edits told or not
    std::vector<MixChange> untold; // edits since the listeners were last told
    int gestures = 0;
    bool stepOpen = false;
    bool restoring = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (EditPath)
};

} // namespace arx
