// The buffer size control of the settings page against the in-process lab's driver.

#include "console/ConsoleState.h"
#include "settings/BufferSize.h"
#include "settings/SampleRate.h"
#include "settings_test_support.h"

namespace arx::test
{
namespace
{

juce::String shownText (BufferSizeSlider& slider)
{
    for (auto* child : slider.getChildren())
        if (auto* label = dynamic_cast<juce::Label*> (child))
            return label->getText();
    return "(no text box)";
}

// A mouse gesture on the slider, as the window system would deliver it.
struct SliderMouse
{
    explicit SliderMouse (juce::Slider& s) : slider (s) {}

    juce::MouseEvent at (float x, bool dragged)
    {
        const juce::Point<float> where (x, 10.0f);
        return { juce::Desktop::getInstance().getMainMouseSource(), where,
                 juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), juce::MouseInputSource::defaultPressure,
                 0.0f, 0.0f, 0.0f, 0.0f, &slider, &slider, juce::Time::getCurrentTime(), start,
                 juce::Time::getCurrentTime(), 1, dragged };
    }
    void down (float x)
    {
        start = { x, 10.0f };
        slider.mouseDown (at (x, false));
    }
    void drag (float x) { slider.mouseDrag (at (x, true)); }
    void up (float x) { slider.mouseUp (at (x, true)); }

    juce::Slider& slider;
    juce::Point<float> start;
};

TEST (BufferSize, ShowsSamplesAndLatencyAndNothingBeforeTheRateIsKnown)
{
    SettingsRig rig (false);
    auto& box = rig.page->getBufferSize();
    auto& slider = box.getSlider();
    EXPECT_EQ (box.getName(), "buffer size box");
    EXPECT_EQ (slider.getName(), "buffer size slider");
    EXPECT_EQ (slider.getMinimum(), 32.0);
    EXPECT_EQ (slider.getMaximum(), 2048.0);
    EXPECT_EQ (slider.getInterval(), 32.0);

    // The driver's size arrives; the rate is the device's.
    ASSERT_TRUE (pumpUntil ([&] { return box.getSamples() == 256 && rig.state().image().sampleRate == 48000; }));
    ASSERT_TRUE (pumpUntil ([&] { return shownText (slider) == "256 samples / 5.3 msec"; })) << shownText (slider);

    // The milliseconds follow a new rate at once.
    rig.clickAndWait (rig.page->getSampleRate().buttonAt (4)); // 96 kHz
    EXPECT_EQ (shownText (slider), "256 samples / 2.7 msec");

    rig.state().image().sampleRate = 0;
    EXPECT_EQ (slider.getTextFromValue (256.0), "");
    box.refreshText();
    EXPECT_EQ (shownText (slider), "");
}

TEST (BufferSize, NothingIsSentWhileTheSliderIsDragged)
{
    SettingsRig rig (false);
    auto& box = rig.page->getBufferSize();
    auto& slider = box.getSlider();
    ASSERT_TRUE (rig.pollUntil ([&] { return slider.getValue() == 256.0; }));

    SliderMouse mouse (slider);
    const auto xOf = [&] (double samples) { return (float) slider.getPositionOfValue (samples); };
    mouse.down (xOf (256));
    mouse.drag (xOf (800));
    mouse.drag (xOf (1024));
    EXPECT_EQ (slider.getValue(), 1024.0);

    // Polls while the slider is held neither send nor pull the slider to the driver's size, even
    // when another program changes that meanwhile.
    ASSERT_EQ (rig.rig.lab.device->setBufferSize (1536), 0);
    for (int i = 0; i < 5; ++i)
    {
        rig.poll();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    }
    EXPECT_EQ (slider.getValue(), 1024.0);
    EXPECT_EQ (rig.device().requestCount ("9"), 1); // the other program's

    mouse.up (xOf (1024));
    ASSERT_TRUE (pumpUntil ([&] { return rig.device().bufferSize() == 1024; }));
    EXPECT_EQ (rig.device().requestCount ("9"), 2);
    EXPECT_TRUE (rig.messages.empty());
}

TEST (BufferSize, ARefusalTellsTheUserAndShowsTheDriversSizeAgain)
{
    SettingsRig rig (false);
    auto& box = rig.page->getBufferSize();
    auto& slider = box.getSlider();
    ASSERT_TRUE (rig.pollUntil ([&] { return slider.getValue() == 256.0; }));

    sim::SimFaults refuse;
    refuse.refuseBufferSize = true;
    rig.device().addFault (refuse);

    slider.setValue (512.0, juce::sendNotificationSync); // what a release delivers
    ASSERT_TRUE (pumpUntil ([&] { return ! rig.messages.empty(); }));
    ASSERT_EQ (rig.messages.size(), 1u);
    EXPECT_EQ (rig.messages[0].title, "Vantrel ARX Console");
    EXPECT_EQ (rig.messages[0].text, "\nYour device is currently being used by an ASIO application.\n\n"
                                     "Please change the buffer size from that application using\nthe ASIO control panel.");
    ASSERT_TRUE (pumpUntil ([&] { return slider.getValue() == 256.0; }));
    EXPECT_EQ (rig.device().bufferSize(), 256u);

    // A reset resends the size, and the refusal shows again.
    SessionHost::resetAndQueueAll (rig.firstControl);
    ASSERT_TRUE (pumpUntil ([&] { return rig.messages.size() == 2; }));
}

TEST (BufferSize, AResetBeforeTheDriversSizeIsKnownSendsNoSize)
{
    SettingsRig rig (false, {}, {}, false);
    // The reset comes first: the thread serves sets before gets.
    SessionHost::resetAndQueueAll (rig.firstControl);
    rig.rig.start();
    ASSERT_TRUE (pumpUntil ([&] { return rig.page->getBufferSize().getSamples() == 256; }));
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_EQ (rig.device().requestCount ("9"), 0);
    EXPECT_TRUE (rig.messages.empty());
}

TEST (BufferSize, ASizeChosenWhileTheDriverIsReadIsTheOneSent)
{
    SettingsRig rig (false);
    auto& box = rig.page->getBufferSize();
    auto& slider = box.getSlider();
    ASSERT_TRUE (pumpUntil ([&] { return slider.getValue() == 256.0; }));
    ASSERT_TRUE (rig.waitUntilServed()); // the page's first reads

    // The driver is slow to answer a read of its size; the user releases the slider meanwhile.
    {
        constexpr uint32_t driverInfo = 3;
        HeldRequest held (rig.rig.lab.hook, [] (uint32_t code, const uint32_t* in) {
            return code == platform::IOCTL_ARX_DRIVER_REQUEST && in[2] == driverInfo;
        });
        rig.rig.thread->queueGet (box);
        ASSERT_TRUE (held.waitUntilHeld());
        slider.setValue (768.0, juce::sendNotificationSync); // what a release delivers
    }
    ASSERT_TRUE (pumpUntil ([&] { return rig.device().requestCount ("9") == 1; }));
    ASSERT_TRUE (runPostedMessages());
    EXPECT_EQ (rig.device().bufferSize(), 768u);
    EXPECT_EQ (box.getSamples(), 768u);
    EXPECT_EQ (slider.getValue(), 768.0);
}

TEST (BufferSize, FollowsASizeSetElsewhere)
{
    SettingsRig rig (false);
    auto& slider = rig.page->getBufferSize().getSlider();
    ASSERT_TRUE (rig.pollUntil ([&] { return slider.getValue() == 256.0; }));

    // An ASIO application's control panel changed it.
    ASSERT_EQ (rig.rig.lab.device->setBufferSize (1536), 0);
    ASSERT_TRUE (rig.pollUntil ([&] { return slider.getValue() == 1536.0; }));
    EXPECT_EQ (rig.device().requestCount ("9"), 1); // only the other program's
}

} // namespace
} // namespace arx::test
