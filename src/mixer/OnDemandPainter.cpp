#include "mixer/OnDemandPainter.h"

#include "platform/Desktop.h"

namespace arx
{

namespace
{
// Ticks closer than this come from a frame timer at the display's rate, not the idle one.
constexpr juce::uint32 fastFrameMs = 500;
} // namespace

OnDemandPainter::OnDemandPainter (juce::Component& w) : window (w) {}

OnDemandPainter::~OnDemandPainter()
{
    listenTo (nullptr);
}

void OnDemandPainter::attachTo (juce::Component& window)
{
    auto* peer = window.getPeer();
    if (peer == nullptr || ! platform::desktop::idleFrameTimer (*peer))
        return;
    auto* painter = of (window);
    if (painter == nullptr)
    {
        painter = new OnDemandPainter (window);
        window.setCachedComponentImage (painter);
    }
    painter->listenTo (peer);
}

void OnDemandPainter::listenTo (juce::ComponentPeer* peer)
{
    if (peer == listenedPeer)
        return;
    if (listenedPeer != nullptr && juce::ComponentPeer::isValidPeer (listenedPeer))
        listenedPeer->removeVBlankListener (this);
    listenedPeer = peer;
    lastFrameMs = 0;
    if (peer != nullptr)
        peer->addVBlankListener (this);
}

void OnDemandPainter::onVBlank()
{
    const auto now = juce::Time::getMillisecondCounter();
    const bool fast = lastFrameMs != 0 && now - lastFrameMs < fastFrameMs;
    lastFrameMs = now;
    if (! fast)
        return;

    // Not from inside the timer's own callback: slowing it restarts it.
    lastFrameMs = 0;
    juce::Component::SafePointer<juce::Component> target (&window);
    juce::MessageManager::callAsync ([target] {
        if (target != nullptr)
            attachTo (*target);
    });
}

OnDemandPainter* OnDemandPainter::of (juce::Component& window)
{
    return dynamic_cast<OnDemandPainter*> (window.getCachedComponentImage());
}

void OnDemandPainter::paint (juce::Graphics& g)
{
    // Only reached when the window is painted as another component's child.
    window.paintEntireComponent (g, false);
}

bool OnDemandPainter::invalidateAll()
{
    triggerAsyncUpdate();
    return true;
}

bool OnDemandPainter::invalidate (const juce::Rectangle<int>&)
{
    triggerAsyncUpdate();
    return true;
}

void OnDemandPainter::handleAsyncUpdate()
{
    auto* peer = window.getPeer();
    if (peer != nullptr && ! platform::desktop::paintPendingNow (*peer))
        startTimer (retryMs);
}

void OnDemandPainter::timerCallback()
{
    stopTimer();
    handleAsyncUpdate();
}

} // namespace arx
