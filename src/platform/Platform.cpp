#include "platform/Platform.h"

#include "platform/AudioService.h"
#include "platform/DeviceBusPlatform.h"

namespace arx::platform
{

Platform& Platform::getDefault()
{
    static DeviceBusPlatform platform;
    return platform;
}

bool Platform::isVistaOrLater() const
{
    const auto type = juce::SystemStats::getOperatingSystemType();
    if ((type & juce::SystemStats::Windows) != 0)
        return isVistaOrLaterType (type);
    return juce::SystemStats::getEnvironmentVariable ("ARX_OS", {}).equalsIgnoreCase ("vista");
}

bool Platform::isVistaOrLaterType (int operatingSystemType) noexcept
{
    return (operatingSystemType & juce::SystemStats::Windows) != 0
           && operatingSystemType >= juce::SystemStats::WinVista;
}

std::shared_ptr<AudioService> Platform::audioService()
{
    return nullptr;
}

HRESULT Platform::createDeviceEnumerator (std::unique_ptr<MMDeviceEnumerator>& enumerator)
{
    enumerator.reset();
    auto service = audioService();
    if (service == nullptr)
        return REGDB_E_CLASSNOTREG;
    enumerator = makeServiceEnumerator (std::move (service));
    return S_OK;
}

uint32_t Platform::mixerGetNumDevs()
{
    auto service = audioService();
    return service != nullptr ? service->mixerGetNumDevs() : 0;
}

MMRESULT Platform::mixerGetDevCaps (uint32_t mixerId, MixerCaps& caps)
{
    auto service = audioService();
    return service != nullptr ? service->mixerGetDevCaps (mixerId, caps) : MMSYSERR_BADDEVICEID;
}

MMRESULT Platform::mixerOpen (uint32_t mixerId, MessageWindow& window, std::unique_ptr<MixerHandle>& handle)
{
    handle.reset();
    auto service = audioService();
    if (service == nullptr)
        return MMSYSERR_BADDEVICEID;
    return openServiceMixer (std::move (service), mixerId, window, handle);
}

} // namespace arx::platform
