#include "mixer/widgets/SoloWarning.h"

#include "console/ConsoleState.h"
#include "console/HardwareThread.h"
#include "look/ConsoleSkin.h"

namespace arx
{

namespace
{
constexpr int firstLitPhase = 1;
constexpr int lastDarkPhase = -4;
constexpr int restartPhase = 5;
constexpr int lampX = 8, lampY = 6;
} // namespace

SoloWarning::SoloWarning (MixerHost& host, juce::Component& parent)
    : state (host.getHardwareThread().getState()),
      panel (host.getSkin().warningPanelImage()),
      lamp (host.getSkin().soloLightImage())
{
    acceptMessagesFromOtherThreads (*this);
    setBounds (host.getSkin().soloWarningBounds());
    setOpaque (true);
    parent.addAndMakeVisible (this);
    recount();
}

SoloWarning::~SoloWarning() = default;

void SoloWarning::recount()
{
    const auto& image = state.image();
    const int inputs = state.inputCount();
    const int outputs = state.outputCount();

    const juce::ScopedLock sl (lock);
    int count = 0;
    for (int o = 0; o < outputs; ++o)
        for (int i = 0; i < inputs; ++i)
            if ((image.monitorFlags[i][o] & SessionImage::monitorSoloBit) != 0)
                ++count;
    for (int c = 0; c < outputs; ++c)
        if (image.playbackChannel[c].solo != 0)
            ++count;

    soloCount = count;
    postCommandMessage (0);
}

int SoloWarning::getSoloCount() const
{
    const juce::ScopedLock sl (lock);
    return soloCount;
}

bool SoloWarning::isLampLit() const
{
    return getSoloCount() != 0 && blinkPhase >= firstLitPhase;
}

void SoloWarning::tick()
{
    if (getSoloCount() == 0)
        return;

    const bool wasLit = isLampLit();
    if (--blinkPhase < lastDarkPhase)
        blinkPhase = restartPhase;
    if (isLampLit() != wasLit)
        repaint();
}

void SoloWarning::handleCommandMessage (int)
{
    repaint();
    if (getSoloCount() == 0)
        stopTimer();
    else if (! isTimerRunning())
        startTimer (tickMs);
}

void SoloWarning::paint (juce::Graphics& g)
{
    panel.drawAt (g, 0, 0);
    if (isLampLit())
        lamp.drawAt (g, lampX, lampY);
}

} // namespace arx
