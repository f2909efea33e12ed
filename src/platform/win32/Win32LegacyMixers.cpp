#include "platform/win32/Win32LegacyMixers.h"

#include "platform/win32/Win32MessageWindow.h"
#include "platform/win32/Win32Text.h"

#include <mmsystem.h>

namespace arx::platform::win32
{
namespace
{
class Win32MixerHandle : public MixerHandle
{
public:
    explicit Win32MixerHandle (HMIXER h) : mixer (h) {}
    ~Win32MixerHandle() override { ::mixerClose (mixer); }

    uintptr_t value() const noexcept override { return (uintptr_t) mixer; }

private:
    HMIXER mixer;

    JUCE_DECLARE_NON_COPYABLE (Win32MixerHandle)
};
} // namespace

uint32_t getMixerCount()
{
    return ::mixerGetNumDevs();
}

MMRESULT getMixerCaps (uint32_t mixerId, MixerCaps& caps)
{
    MIXERCAPSW c {};
    const MMRESULT result = ::mixerGetDevCapsW (mixerId, &c, sizeof (c));
    if (result != MMSYSERR_NOERROR)
        return result;

    caps.manufacturerId = c.wMid;
    caps.productId = c.wPid;
    caps.driverVersion = c.vDriverVersion;
    caps.name = fromWide (c.szPname, MAXPNAMELEN - 1);
    caps.support = c.fdwSupport;
    caps.destinations = c.cDestinations;
    return MMSYSERR_NOERROR;
}

MMRESULT openMixer (uint32_t mixerId, MessageWindow& window, std::unique_ptr<MixerHandle>& handle)
{
    handle.reset();
    auto* own = dynamic_cast<Win32MessageWindow*> (&window);
    const HWND target = own != nullptr ? own->windowHandle() : nullptr;
    if (target == nullptr)
        return MMSYSERR_INVALHANDLE;

    HMIXER mixer = nullptr;
    const MMRESULT result = ::mixerOpen (&mixer, mixerId, (DWORD_PTR) target, 0, MIXER_OBJECTF_MIXER | CALLBACK_WINDOW);
    if (result != MMSYSERR_NOERROR)
        return result;
    handle = std::make_unique<Win32MixerHandle> (mixer);
    return MMSYSERR_NOERROR;
}

} // namespace arx::platform::win32
