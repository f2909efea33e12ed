#include "mixer/TabbedUiBox.h"

#include "console/ConsoleState.h"
#include "console/hwthread.h"
#include "look/ConsoleLookAndFeel.h"
#include "look/ConsoleSkin.h"
#include "mixer/MixerPagePanels.h"
#include "mixer/strips/MasterStripBox.h"
#include "mixer/strips/PlayStripBox.h"
#include "mixer/strips/StripHdrs.h"
#include "mixer/strips/instripbox.h"
#include "mixer/widgets/RudeSolo.h"

namespace arx
{

TabbedUiBox::TabbedUiBox (MixerHost& host, juce::Component& content) : juce::Component ("tabbed UI box")
{
    auto& skin = host.getSkin();
    const auto* info = host.getHwThread().getState().info();

    setBounds (skin.pageBounds());
    setOpaque (true);
    // Hidden until the content shows the stored tab.
    content.addChildComponent (this);

    // In the order of the value boxes' Tab ring: inputs, playback, outputs.
    inputStrips = std::make_unique<instripbox> (host, *this);
    soloWarning = std::make_unique<RudeSolo> (host, *this);
    playHeader = std::make_unique<PlayStripHdr> (skin, info, *this);
    playStrips = std::make_unique<DirectPlayStripBox> (host, *this);
    outputHeader = std::make_unique<MasterStripHdr> (skin, info, *this);
    outputStrips = std::make_unique<MasterStripBox> (host, *this);
    spacer = std::make_unique<Spacer> (skin.spacerBounds(), *this);
}

TabbedUiBox::~TabbedUiBox() = default;

void TabbedUiBox::selectBank (int bank)
{
    inputStrips->selectBank (bank);
    playStrips->selectBank (bank);
    playHeader->selectBank (bank);
    outputStrips->selectBank (bank);
    outputHeader->selectBank (bank);
}

int TabbedUiBox::refreshMeters()
{
    return inputStrips->refreshMeters() + outputStrips->refreshMeters();
}

void TabbedUiBox::paint (juce::Graphics& g)
{
    g.fillAll (ConsoleLookAndFeel::backgroundColour());
}

} // namespace arx
