#include "firmware/FirmwareUpdate.h"

#include "app/ModalDialogs.h"
#include "firmware/FirmwareCheck.h"
#include "firmware/FlashProgressWindow.h"
#include "firmware/FlashThread.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace arx
{

bool checkFirmware (Device& device, bool force, const juce::String& question, const juce::File& imageFolder)
{
    const auto check = FirmwareCheck::of (device.info(), force, question);
    if (! check.ask)
        return true;

    if (ModalDialogs::ask (device.uniqueName(), check.question, "Yes", "No"))
        flashAll (device, *check.row, imageFolder);
    return false;
}

void flashAll (Device& device, const FirmwareRequirement& row, const juce::File& imageFolder)
{
    juce::Array<juce::File> files;
    for (int i = 0; i < row.imageCount; ++i)
    {
        const auto file = FirmwareRequirement::imageFile (row.images[i], imageFolder);
        if (! file.existsAsFile())
        {
            juce::Logger::writeToLog ("Firmware - " + device.uniqueName() + " - no file " + file.getFullPathName());
            ModalDialogs::tell (device.uniqueName(), "Unable to locate file " + file.getFullPathName(), "OK");
            return;
        }
        files.add (file);
    }

    FlashProgressWindow window (nullptr, true);
    juce::Component::SafePointer<juce::Component> modal (&window);
    FlashThread thread (&device, window, files, [modal] {
        // Posted: it runs inside the modal loop below, however soon the thread ends.
        juce::MessageManager::callAsync ([modal] {
            if (modal != nullptr)
                modal->exitModalState (0);
        });
    });

    {
        // Not cut short by the end of the program; the session area is the update's from now on.
        const ModalDialogs::Update update (window);
        device.markFirmwareRewritten();
        thread.startThread();
        window.runModalLoop();
    }
    window.setVisible (false);
    juce::Logger::writeToLog ("Firmware - " + device.uniqueName() + " - " + thread.getResultText().replace ("\n", " "));

    ModalDialogs::tell (device.uniqueName(), thread.getResultText(), "OK");
}

} // namespace arx
