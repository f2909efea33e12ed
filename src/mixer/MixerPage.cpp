#include "mixer/MixerPage.h"

#include "console/ConsoleState.h"
#include "console/HardwareThread.h"
#include "look/ConsoleLookAndFeel.h"
#include "look/ConsoleSkin.h"
#include "mixer/MixerPagePanels.h"
#include "mixer/strips/OutputStripBox.h"
#include "mixer/strips/PlaybackStripBox.h"
#include "mixer/strips/StripHeaders.h"
#include "mixer/strips/InputStripBox.h"
#include "mixer/widgets/SoloWarning.h"

namespace arx
{

MixerPage::MixerPage (MixerHost& host, juce::Component& content) : juce::Component ("tabbed UI box")
{
    auto& skin = host.getSkin();
    const auto* info = host.getHardwareThread().getState().info();

    setBounds (skin.pageBounds());
    setOpaque (true);
    // Hidden until the content shows the stored tab.
    content.addChildComponent (this);

    // In the order of the value boxes' Tab ring: inputs, playback, outputs.
    inputStrips = std::make_unique<InputStripBox> (host, *this);
    soloWarning = std::make_unique<SoloWarning> (host, *this);
    playHeader = std::make_unique<PlaybackHeader> (skin, info, *this);
    playStrips = std::make_unique<DirectPlaybackStripBox> (host, *this);
    outputHeader = std::make_unique<OutputHeader> (skin, info, *this);
    outputStrips = std::make_unique<OutputStripBox> (host, *this);
    spacer = std::make_unique<Spacer> (skin.spacerBounds(), *this);
}

MixerPage::~MixerPage() = default;

void MixerPage::selectBank (int bank)
{
    inputStrips->selectBank (bank);
    playStrips->selectBank (bank);
    playHeader->selectBank (bank);
    outputStrips->selectBank (bank);
    outputHeader->selectBank (bank);
}

int MixerPage::refreshMeters()
{
    return inputStrips->refreshMeters() + outputStrips->refreshMeters();
}

void MixerPage::paint (juce::Graphics& g)
{
    g.fillAll (ConsoleLookAndFeel::backgroundColour());
}

} // namespace arx
