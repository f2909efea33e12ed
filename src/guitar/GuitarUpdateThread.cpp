#include "guitar/GuitarUpdateThread.h"

#include "app/ModalDialogs.h"

namespace arx
{

GuitarUpdateThread::GuitarUpdateThread (Device& device, const juce::File& firmwareFile)
    : juce::ThreadWithProgressWindow ("Guitar Update", true, false, 10000, "Cancel")
{
    bool ok = false;
    juce::String error;
    firmware = std::make_unique<GuitarFirmwareData> (firmwareFile, ok, error);
    if (! ok)
    {
        ModalDialogs::tell ("Guitar Update", error, "Close");
        return;
    }
    exchange = std::make_unique<GuitarUpdateExchange> (device, *firmware);
}

GuitarUpdateThread::~GuitarUpdateThread()
{
    stopThread (10000);
}

void GuitarUpdateThread::run()
{
    if (exchange != nullptr)
        exchange->run (*this);
}

} // namespace arx
