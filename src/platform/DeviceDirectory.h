#pragma once

#include <juce_core/juce_core.h>

namespace arx::platform
{

// The folder device interfaces are published in, and how far it is trusted. The shared /tmp
// fallback is used only when it is a real folder (no symbolic link) of this user that no one
// else can enter: otherwise any local user who made it first would own the user's devices.
// Shared by the console and the device lab.
struct DeviceDirectory
{
    enum class Check
    {
        none,   // a folder the caller made or trusts (tests, the runtime folder's own)
        warn,   // chosen by the user ($ARX_DEVICE_DIR, --dir): a problem is reported, the folder used
        refuse  // the shared fallback: a problem means no devices rather than another user's ones
    };

    juce::File folder;
    Check check = Check::none;
};

// $ARX_DEVICE_DIR (warned about), else $XDG_RUNTIME_DIR/arx-devices, else
// /tmp/arx-devices-<uid> (refused unless private).
DeviceDirectory deviceDirectory();
// The same choice from given values; `sharedRoot` stands for /tmp.
DeviceDirectory deviceDirectoryFor (const juce::String& explicitDir, const juce::String& runtimeDir,
                                    const juce::File& sharedRoot);

// Why `folder` is not this user's private folder ("... is a symbolic link", "... belongs to
// user N", "... is open to other users (mode 0777)", ...), naming it; empty when it is.
juce::String privateFolderProblem (const juce::File& folder);

// Makes the folder with mode 0700 when it is missing, then checks it as its Check asks. False
// when it must not be used; `problem` names the folder and what is wrong, also when only warned.
bool prepareDeviceDirectory (const DeviceDirectory& directory, juce::String& problem);

// Where named locks may live, in the order the device directory's folders are tried:
// $XDG_RUNTIME_DIR (when set to an absolute path), then /tmp.
juce::Array<juce::File> lockFolders();

} // namespace arx::platform
