#pragma once

#include <juce_core/juce_core.h>

namespace arx::platform
{

// Where device interfaces are published: $ARX_DEVICE_DIR, else $XDG_RUNTIME_DIR/arx-devices,
// else /tmp/arx-devices-<uid>. Shared by the console and the device lab.
juce::File deviceDirectory();

// Where named locks may live, in the order the device directory's folders are tried:
// $XDG_RUNTIME_DIR (when set to an absolute path), then /tmp.
juce::Array<juce::File> lockFolders();

} // namespace arx::platform
