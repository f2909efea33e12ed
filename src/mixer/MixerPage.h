#pragma once

#include "mixer/widgets/MixerHost.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace arx
{

class DirectPlaybackStripBox;
class OutputStripBox;
class OutputHeader;
class PlaybackHeader;
class SoloWarning;
class Spacer;
class InputStripBox;

// The mixer page, "tabbed UI box": the input strips, the playback and output columns with their
// headers, the solo warning and a filler. The content adds the session box and the logo box.
// Every strip shows the output pair that the tab bar chose.
//
// Threads: message thread; the strips' controls run get and set on the hardware thread.
class MixerPage : public juce::Component
{
public:
    // In the skin's page place, a child of `content`; its strips are not yet set to a pair.
    MixerPage (MixerHost& host, juce::Component& content);
    ~MixerPage() override;

    // Every strip and header switches to output pair bank / 2.
    void selectBank (int bank);

    // The input and output meters show the last meter reply; the pixels they asked to repaint.
    int refreshMeters();

    SoloWarning& getSoloWarning() const noexcept { return *soloWarning; }
    InputStripBox& getInputStrips() const noexcept { return *inputStrips; }
    OutputStripBox& getOutputStrips() const noexcept { return *outputStrips; }
    OutputHeader& getOutputHeader() const noexcept { return *outputHeader; }
    DirectPlaybackStripBox& getPlayStrips() const noexcept { return *playStrips; }
    PlaybackHeader& getPlayHeader() const noexcept { return *playHeader; }

    // Where the session box goes until it is there.
    void paint (juce::Graphics&) override;

private:
    std::unique_ptr<SoloWarning> soloWarning;
    std::unique_ptr<InputStripBox> inputStrips;
    std::unique_ptr<OutputStripBox> outputStrips;
    std::unique_ptr<OutputHeader> outputHeader;
    std::unique_ptr<DirectPlaybackStripBox> playStrips;
    std::unique_ptr<PlaybackHeader> playHeader;
    std::unique_ptr<Spacer> spacer;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MixerPage)
};

} // namespace arx
