#include "guitar/GuitarUpdate.h"

#include "app/ModalDialogs.h"
#include "guitar/GuitarUpdateThread.h"

namespace arx
{
namespace
{
constexpr int maxAttempts = 3;

bool proceed (const juce::String& text)
{
    return ModalDialogs::ask ("Vantrel ARX", text, "Continue", "Cancel");
}
} // namespace

void updateGuitar (Device& device, const juce::File& firmwareFolder)
{
    if (! proceed ("Please connect the guitar to the ARX with a stereo cable.")
        || ! proceed ("Please pull out the DVX on the guitar and strum it until it is in tune.  Leave the DVX pulled out."))
        return;

    for (int attempt = 1; attempt <= maxAttempts; ++attempt)
    {
        auto thread = std::make_unique<GuitarUpdateThread> (device, GuitarFirmwareData::file (firmwareFolder));
        if (! thread->isLoaded())
            return;

        {
            const ModalDialogs::Update update (*thread->getAlertWindow()); // not cut short
            thread->runThread (juce::Thread::Priority::normal);
        }

        const bool succeeded = thread->hasSucceeded();
        if (const auto text = thread->getResultText(); text.isNotEmpty())
            ModalDialogs::tell ("Vantrel ARX", text, succeeded ? "OK" : "Continue");
        thread.reset();

        if (succeeded || attempt == maxAttempts
            || ! proceed ("The guitar may need to be reset.  To reset the guitar, push the DVX all the way in, pull "
                          "the DVX back out again, and strum the guitar to tune it.  Please leave the DVX pulled out."))
            return;
    }
}

} // namespace arx
