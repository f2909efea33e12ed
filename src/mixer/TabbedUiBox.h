#pragma once

#include "mixer/widgets/MixerHost.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace arx
{

class DirectPlayStripBox;
class MasterStripBox;
class MasterStripHdr;
class PlayStripHdr;
class RudeSolo;
class Spacer;
class instripbox;

// The mixer page, "tabbed UI box": the input strips, the playback and output columns with their
// headers, the solo warning and a filler. The content adds the session box and the logo box.
// Every strip shows the output pair that the tab bar chose.
//
// Threads: message thread; the strips' controls run get and set on the hardware thread.
class TabbedUiBox : public juce::Component
{
public:
    // In the skin's page place, a child of `content`; its strips are not yet set to a pair.
    TabbedUiBox (MixerHost& host, juce::Component& content);
    ~TabbedUiBox() override;

    // Every strip and header switches to output pair bank / 2.
    void selectBank (int bank);

    // The input and output meters show the last meter reply; the pixels they asked to repaint.
    int refreshMeters();

    RudeSolo& getSoloWarning() const noexcept { return *soloWarning; }
    instripbox& getInputStrips() const noexcept { return *inputStrips; }
    MasterStripBox& getOutputStrips() const noexcept { return *outputStrips; }
    MasterStripHdr& getOutputHeader() const noexcept { return *outputHeader; }
    DirectPlayStripBox& getPlayStrips() const noexcept { return *playStrips; }
    PlayStripHdr& getPlayHeader() const noexcept { return *playHeader; }

    // Where the session box goes until it is there.
    void paint (juce::Graphics&) override;

private:
    std::unique_ptr<RudeSolo> soloWarning;
    std::unique_ptr<instripbox> inputStrips;
    std::unique_ptr<MasterStripBox> outputStrips;
    std::unique_ptr<MasterStripHdr> outputHeader;
    std::unique_ptr<DirectPlayStripBox> playStrips;
    std::unique_ptr<PlayStripHdr> playHeader;
    std::unique_ptr<Spacer> spacer;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TabbedUiBox)
};

} // namespace arx
