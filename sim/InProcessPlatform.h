#pragma once

// The platform seam served by a DeviceLab in the same process: enumeration, registry values,
// device handles, message windows with device-change broadcasts and named mutexes, without
// sockets. For unit tests.

#include "platform/Platform.h"
#include "sim/DeviceLab.h"

namespace arx::sim
{

class InProcessPlatform : public arx::platform::Platform
{
public:
    explicit InProcessPlatform (DeviceLab& lab);
    ~InProcessPlatform() override;

    std::unique_ptr<arx::platform::DeviceInfoSet> getClassDevs (const arx::platform::Guid& interfaceClass) override;
    std::unique_ptr<arx::platform::DeviceHandle> createFile (const juce::String& devicePath) override;
    std::unique_ptr<arx::platform::MessageWindow> createMessageWindow() override;
    arx::platform::NamedMutexResult createNamedMutex (const juce::String& name) override;

    // The lab's endpoints and legacy mixers; null while the lab's audio service is down.
    std::shared_ptr<arx::platform::AudioService> audioService() override;

    // The OS generation this platform reports (legacy mixers unless set).
    bool isVistaOrLater() const override { return vista; }
    void setVistaOrLater (bool isVista) noexcept { vista = isVista; }

    DeviceLab& deviceLab() noexcept { return lab; }

private:
    DeviceLab& lab;
    bool vista = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InProcessPlatform)
};

} // namespace arx::sim
