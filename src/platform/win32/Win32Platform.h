#pragma once

// The platform seam on Windows: the real Win32 calls. Each seam class has its Windows side in a
// file pair of its own here (Win32<Name>.h/.cpp), made by this class's factory method for it;
// Win32Api.h brings in the SDK and the handle types that close themselves. Nothing outside this
// folder includes windows.h.

#include "platform/Platform.h"

namespace arx::platform::win32
{

class Win32Platform : public Platform
{
public:
    Win32Platform() = default;

    std::unique_ptr<DeviceInfoSet> getClassDevs (const Guid& interfaceClass) override;
    std::unique_ptr<DeviceHandle> createFile (const juce::String& devicePath) override;
    std::unique_ptr<MessageWindow> createMessageWindow() override;
    NamedMutexResult createNamedMutex (const juce::String& name) override;

    HRESULT createDeviceEnumerator (std::unique_ptr<MMDeviceEnumerator>& enumerator) override;
    uint32_t mixerGetNumDevs() override;
    MMRESULT mixerGetDevCaps (uint32_t mixerId, MixerCaps& caps) override;
    MMRESULT mixerOpen (uint32_t mixerId, MessageWindow& window, std::unique_ptr<MixerHandle>& handle) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Win32Platform)
};

} // namespace arx::platform::win32
