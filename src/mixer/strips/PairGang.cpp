#include "mixer/strips/PairGang.h"

#include "console/ConsoleState.h"

namespace arx
{

PairGang::PairGang (MixerHost& mixerHost, ConsoleState& consoleState) : Gang (mixerHost), state (consoleState) {}

void PairGang::selectPair (int c)
{
    first = c;
    refreshFromState();
}

void PairGang::refreshFromState()
{
    setToggleState (isLinked (first), juce::dontSendNotification);
}

void PairGang::storeLink()
{
    setLinked (first, getToggleState());
}

//==============================================================================
PlayGang::PlayGang (MixerHost& mixerHost, ConsoleState& consoleState, int firstChannel)
    : PairGang (mixerHost, consoleState)
{
    selectPair (firstChannel);
}

bool PlayGang::isLinked (int c) const { return state.isPlaybackGanged (c); }
void PlayGang::setLinked (int c, bool on) { state.setPlaybackGang (c, on); }

//==============================================================================
MasterGang::MasterGang (MixerHost& mixerHost, ConsoleState& consoleState) : PairGang (mixerHost, consoleState)
{
    selectPair (0);
}

bool MasterGang::isLinked (int c) const { return state.isOutputGanged (c); }
void MasterGang::setLinked (int c, bool on) { state.setOutputGang (c, on); }

} // namespace arx
