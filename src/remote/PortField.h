#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace arx
{

// A port number the user types: a label that turns into a text box while it is edited, as the
// strips' value boxes do. A juce::TextEditor kept on the page would cost the idle window: every
// one registers a desktop-wide mouse listener, which polls the pointer ten times a second, and
// its caret blinks on a timer for good once it has been set.
//
// Threads: message thread.
class PortField : public juce::Label
{
public:
    explicit PortField (const juce::String& componentName);

    // Called once an edit ends with Return or the box losing the focus; Escape drops it.
    std::function<void()> onCommit;

    // The number shown; 0 when it is not a port.
    int getPort() const;
    // Shows `port` unless the user is typing into the box.
    void showPort (int port);

private:
    juce::TextEditor* createEditorComponent() override;
    void textWasEdited() override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PortField)
};

} // namespace arx
