#include "sysvolume/CVolumeNotification.h"

#include "sysvolume/SysVolume.h"

namespace arx
{

using namespace arx::platform;

CVolumeNotification::CVolumeNotification (SysVolume& o, const Guid& ownEventContext)
    : ownContext (ownEventContext), owner (&o)
{
}

CVolumeNotification::~CVolumeNotification() = default;

void CVolumeNotification::detach()
{
    const juce::ScopedLock sl (ownerLock);
    owner = nullptr;
}

HRESULT CVolumeNotification::queryInterface (const Guid& iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IAudioEndpointVolumeCallback)
    {
        addRef();
        *object = this;
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

uint32_t CVolumeNotification::addRef()
{
    return ++references;
}

uint32_t CVolumeNotification::release()
{
    const auto left = --references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT CVolumeNotification::onNotify (const AudioVolumeNotificationData& data)
{
    // The console's own level changes carry its context; its mutes carry none.
    if (data.guidEventContext == ownContext)
        return S_OK;

    const juce::ScopedLock sl (ownerLock);
    if (owner != nullptr)
        owner->sendChangeMessage();
    return S_OK;
}

} // namespace arx
