#pragma once

#include <juce_core/juce_core.h>

namespace arx::platform
{

// Where device interfaces are published: $ARX_DEVICE_DIR, else $XDG_RUNTIME_DIR/arx-devices,
// else /tmp/arx-devices-<uid>. Shared by the console and the device lab.
juce::File deviceDirectory();

// Where named locks live: $XDG_RUNTIME_DIR, else /tmp.
juce::File runtimeDirectory();

} // namespace arx::platform
