#include "sim/BusServer.h"

namespace arx::sim
{

class BusServer::Impl
{
};

BusServer::BusServer (DeviceLab& l, const juce::File& directory) : lab (l), dir (directory) {}
BusServer::~BusServer() { stop(); }

bool BusServer::start (juce::String& error)
{
    error = "not available yet";
    return false;
}

void BusServer::stop() {}
juce::File BusServer::entryFor (const juce::String& uniqueName) const { return dir.getChildFile (entryName (uniqueName)); }
juce::String BusServer::handleControlLine (const juce::String&) { return "error not available"; }
juce::String BusServer::entryName (const juce::String& uniqueName) { return uniqueName; }
void BusServer::deviceArrived (SimDevice&) {}
void BusServer::deviceRemoved (SimDevice&) {}

} // namespace arx::sim
