// The system's audio side on Windows: Core Audio endpoints and legacy mixers through the Win32
// backend, as the system volume link meets them on a machine without the driver's endpoints
// (Wine has the enumerator, no endpoint of ours and no mixer): the link falls back to the device
// command, a mixer's control change still reaches it, and the callback object keeps COM's
// reference rules.

#include "device/NotificationWindow.h"
#include "platform/win32/Win32AudioEndpoints.h"
#include "platform/win32/Win32EndpointVolume.h"
#include "platform/win32/Win32LegacyMixers.h"
#include "platform/win32/Win32Platform.h"
#include "sysvolume/EndpointChangeCallback.h"
#include "sysvolume/LegacyMixerVolumeLink.h"
#include "sysvolume/EndpointVolumeLink.h"
#include "unit/test_console_fixture.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <thread>

namespace arx::win32test
{
namespace
{
using namespace arx::platform;

class ChangeCounter : public juce::ChangeListener
{
public:
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    int count = 0;
};

// Runs the message loop until the counter reaches `atLeast`, or a while longer to see that it
// stays below.
bool heard (const ChangeCounter& counter, int atLeast, int limitMs = 5000)
{
    for (int waited = 0; counter.count < atLeast && waited < limitMs; waited += 10)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
    return counter.count >= atLeast;
}

TEST (Win32AudioEndpoints, EnumeratorFromAnyThreadOutlivedByWhatItHandsOut)
{
    // The test thread is JUCE's message thread, a single-threaded apartment; the other thread
    // never initialises COM at all, as the hardware threads do not.
    std::unique_ptr<MMDeviceEnumerator> fromMessageThread, fromPlainThread;
    HRESULT plainResult = E_FAIL;
    std::thread plain ([&] { plainResult = win32::createDeviceEnumerator (fromPlainThread); });
    plain.join();
    ASSERT_EQ (win32::createDeviceEnumerator (fromMessageThread), S_OK);
    ASSERT_EQ (plainResult, S_OK);
    ASSERT_NE (fromPlainThread, nullptr);

    std::unique_ptr<MMDeviceCollection> endpoints;
    ASSERT_EQ (fromPlainThread->enumAudioEndpoints (eRender, DEVICE_STATE_ACTIVE, endpoints), S_OK);
    ASSERT_NE (endpoints, nullptr);

    // An unknown id hands out nothing.
    std::unique_ptr<MMDevice> none;
    EXPECT_TRUE (FAILED (fromMessageThread->getDevice ("{0.0.0.00000000}.{no-such-endpoint}", none)));
    EXPECT_EQ (none, nullptr);

    // The collection and its endpoints stay usable with the enumerators gone, from another thread.
    fromPlainThread.reset();
    std::thread user ([&] {
        uint32_t count = 0;
        EXPECT_EQ (endpoints->getCount (count), S_OK);
        for (uint32_t i = 0; i < count; ++i)
        {
            std::unique_ptr<MMDevice> endpoint;
            ASSERT_EQ (endpoints->item (i, endpoint), S_OK);
            juce::String id;
            EXPECT_EQ (endpoint->getId (id), S_OK);
            EXPECT_TRUE (id.isNotEmpty());
            ArxEndpointProperty property {};
            EXPECT_FALSE (EndpointVolumeLink::readDriverProperty (*fromMessageThread, *endpoint, property)) << id; // no driver of ours
        }
        std::unique_ptr<MMDevice> past;
        EXPECT_TRUE (FAILED (endpoints->item (count, past)));
        EXPECT_EQ (past, nullptr);
    });
    user.join();
}

TEST (Win32AudioEndpoints, WithoutEndpointsOfTheDeviceTheLinkSendsTheDeviceCommands)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    win32::Win32Platform system;
    EndpointVolumeLink link (*lab.device, system);
    EXPECT_TRUE (link.hasEnumerator());
    EXPECT_EQ (link.endpointCount(), 0);

    lab.sim->takeRequestLog();
    EXPECT_EQ (link.setPlaybackGain (0, -6.0f), Device::resultOk);
    EXPECT_EQ (link.setPlaybackMute (1, true), Device::resultOk);
    EXPECT_EQ (lab.sim->requestCount ("6/0"), 1);
    EXPECT_EQ (lab.sim->requestCount ("6/2"), 1);
    EXPECT_TRUE (lab.sim->mixer().playbackMute[1]);
}

TEST (Win32VolumeCallback, KeepsCountsAndPassesOthersChangesOn)
{
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    SystemVolumeLink link (*lab.device);
    ChangeCounter changes;
    link.addChangeListener (&changes);

    const Guid own = EndpointVolumeLink::ownEventContext;
    auto* notification = new EndpointChangeCallback (link, own);
    auto* callback = new win32::Win32VolumeCallback (*notification);
    // The callback object holds the notification: 1 + its own, seen through a probe reference.
    EXPECT_EQ (notification->addRef(), 3u);
    notification->release();

    void* asUnknown = nullptr;
    void* asCallback = nullptr;
    void* asOther = &asOther;
    EXPECT_EQ (callback->QueryInterface (__uuidof (IUnknown), &asUnknown), S_OK);
    EXPECT_EQ (callback->QueryInterface (__uuidof (IAudioEndpointVolumeCallback), &asCallback), S_OK);
    EXPECT_EQ (callback->QueryInterface (__uuidof (IAudioEndpointVolume), &asOther), E_NOINTERFACE);
    EXPECT_EQ (asOther, nullptr);
    EXPECT_EQ (asUnknown, static_cast<IAudioEndpointVolumeCallback*> (callback));
    EXPECT_EQ (asCallback, asUnknown);
    EXPECT_EQ (callback->AddRef(), 4u); // 1 + the two answers + this one
    EXPECT_EQ (callback->Release(), 3u);

    // What the system hands over: the structure with its channels running past it.
    struct
    {
        AUDIO_VOLUME_NOTIFICATION_DATA data;
        float more[1];
    } change {};
    change.data.guidEventContext = win32::toGuid (own);
    change.data.nChannels = 2;
    change.data.afChannelVolumes[0] = 0.5f;
    change.more[0] = 0.25f;
    EXPECT_EQ (callback->OnNotify (&change.data), S_OK);
    EXPECT_FALSE (heard (changes, 1, 100)); // the console's own level change
    change.data.guidEventContext = GUID {}; // no context
    change.data.bMuted = TRUE;
    EXPECT_EQ (callback->OnNotify (&change.data), S_OK);
    EXPECT_TRUE (heard (changes, 1));
    EXPECT_EQ (callback->OnNotify (nullptr), E_POINTER);

    // The last release deletes the callback object, which lets the notification go.
    EXPECT_EQ (callback->Release(), 2u);
    EXPECT_EQ (callback->Release(), 1u);
    EXPECT_EQ (callback->Release(), 0u);
    EXPECT_EQ (notification->addRef(), 2u);
    notification->release();
    notification->detach();
    EXPECT_EQ (notification->release(), 0u);
    link.removeChangeListener (&changes);
}

TEST (Win32Mixers, NoMixerOfOursOpensAndAControlChangeStillReachesTheLink)
{
    win32::Win32Platform system;
    NotificationWindow window (system);
    ASSERT_NE (window.windowHandle(), nullptr);

    // Past the last mixer: refused, nothing handed out.
    const auto count = system.mixerGetNumDevs();
    MixerCaps caps;
    EXPECT_EQ (system.mixerGetDevCaps (count, caps), MMSYSERR_BADDEVICEID);
    std::unique_ptr<MixerHandle> handle;
    EXPECT_NE (system.mixerOpen (count, *window.windowHandle(), handle), MMSYSERR_NOERROR);
    EXPECT_EQ (handle, nullptr);
    for (uint32_t id = 0; id < count; ++id)
    {
        ASSERT_EQ (system.mixerGetDevCaps (id, caps), MMSYSERR_NOERROR);
        EXPECT_LT (caps.name.length(), MAXPNAMELEN);
    }

    // A window of another backend has no handle a mixer could post to.
    sim::DeviceLab otherLab;
    auto otherWindow = sim::InProcessPlatform (otherLab).createMessageWindow();
    EXPECT_EQ (system.mixerOpen (0, *otherWindow, handle), MMSYSERR_INVALHANDLE);

    // The legacy link of a lab device finds none of its mixers, yet hears a control change that
    // a mixer posts to the notification window, whichever mixer and control it is.
    test::LabDevice lab;
    ASSERT_NE (lab.device, nullptr);
    LegacyMixerVolumeLink link (*lab.device, system, &window);
    ChangeCounter changes;
    link.addChangeListener (&changes);
    window.windowHandle()->postMessage (MM_MIXM_LINE_CHANGE, 0x1234, 7);
    EXPECT_FALSE (heard (changes, 1, 200));
    window.windowHandle()->postMessage (MM_MIXM_CONTROL_CHANGE, 0x1234, 7);
    EXPECT_TRUE (heard (changes, 1));
    link.removeChangeListener (&changes);
}

} // namespace
} // namespace arx::win32test
