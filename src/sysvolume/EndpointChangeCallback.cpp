#include "sysvolume/EndpointChangeCallback.h"

#include "sysvolume/SystemVolumeLink.h"

namespace arx
{

using namespace arx::platform;

EndpointChangeCallback::EndpointChangeCallback (SystemVolumeLink& o, const Guid& ownEventContext)
    : ownContext (ownEventContext), owner (&o)
{
}

EndpointChangeCallback::~EndpointChangeCallback() = default;

void EndpointChangeCallback::detach()
{
    const juce::ScopedLock sl (ownerLock);
    owner = nullptr;
}

HRESULT EndpointChangeCallback::queryInterface (const Guid& iid, void** object)
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

uint32_t EndpointChangeCallback::addRef()
{
    return ++references;
}

uint32_t EndpointChangeCallback::release()
{
    const auto left = --references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT EndpointChangeCallback::onNotify (const AudioVolumeNotificationData& data)
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
