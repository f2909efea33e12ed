#include "mixer/strips/PairGangButton.h"

#include "console/ConsoleState.h"

namespace arx
{

PairGangButton::PairGangButton (MixerHost& mixerHost, ConsoleState& consoleState) : GangButton (mixerHost), state (consoleState) {}

void PairGangButton::selectPair (int c)
{
    first = c;
    refreshFromState();
}

void PairGangButton::refreshFromState()
{
    setToggleState (isLinked (first), juce::dontSendNotification);
}

void PairGangButton::storeLink()
{
    setLinked (first, getToggleState());
}

//==============================================================================
PlaybackGangButton::PlaybackGangButton (MixerHost& mixerHost, ConsoleState& consoleState, int firstChannel)
    : PairGangButton (mixerHost, consoleState)
{
    selectPair (firstChannel);
}

bool PlaybackGangButton::isLinked (int c) const { return state.isPlaybackGanged (c); }
void PlaybackGangButton::setLinked (int c, bool on) { state.setPlaybackGang (c, on); }

//==============================================================================
OutputGangButton::OutputGangButton (MixerHost& mixerHost, ConsoleState& consoleState) : PairGangButton (mixerHost, consoleState)
{
    selectPair (0);
}

bool OutputGangButton::isLinked (int c) const { return state.isOutputGanged (c); }
void OutputGangButton::setLinked (int c, bool on) { state.setOutputGang (c, on); }

} // namespace arx
