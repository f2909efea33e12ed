#pragma once

// The window that shows what a load would change before it happens: one tick box per group of
// a SessionCompare with its old and new values under it, and "Load all", "Load ticked" and
// Cancel. It is modal, so that the program's end closes it as its Cancel would
// (app/ModalDialogs).
//
// Threads: message thread.

#include "session/SessionCompare.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

namespace arx
{

class CompareWindow : public juce::DialogWindow
{
public:
    enum Choice
    {
        cancel = 0,
        loadAll = 1,
        loadTicked = 2
    };

    static constexpr const char* titleText = "Compare before load";

    // Opens the window over `over` for loading `what`; `done` gets the choice and the group
    // flags once it closes (not when the program ends meanwhile: then it is a Cancel).
    static CompareWindow* open (juce::Component* over, const juce::String& what, const SessionCompare& compare,
                                std::function<void (Choice, std::vector<bool>)> done);

    // The group tick boxes, in the order of the compare's groups, and the three buttons.
    juce::ToggleButton& getTick (int group) const;
    int getNumTicks() const noexcept;
    // The old and new values listed under a group, a line each.
    juce::String getListing (int group) const;
    juce::Button& getButton (Choice choice) const;

    void closeButtonPressed() override;

private:
    class Content;
    CompareWindow (const juce::String& what, const SessionCompare& compare, bool onDesktop);
    Content& content() const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CompareWindow)
};

} // namespace arx
