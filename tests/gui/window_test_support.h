#pragma once

// A console window for a device of the in-process lab, never put on the desktop, with its
// preferences in a temporary folder.

#include "app/ConsoleAppMessages.h"
#include "console/ConsolePreferences.h"
#include "device_test_support.h"
#include "mixer/ConsoleWindow.h"
#include "mixer/ConsoleContent.h"
#include "mixer/StatusPoller.h"
#include "mixer/widgets/GangButton.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace arx::test
{

class CountingListener : public juce::MessageListener
{
public:
    void handleMessage (const juce::Message& m) override
    {
        if (auto* w = dynamic_cast<const WindowMessage*> (&m))
            if (w->id == appmsg::windowFinished)
                finished.push_back (w->window);
    }
    std::vector<ConsoleWindow*> finished;
};

struct WindowRig
{
    explicit WindowRig (const juce::String& profile = "arx", std::function<void (juce::PropertiesFile&)> stored = {})
        : WindowRig (options (profile), std::move (stored))
    {
    }

    explicit WindowRig (sim::PlugOptions plug, std::function<void (juce::PropertiesFile&)> stored = {},
                        bool vista = false)
        : lab (std::move (plug), vista)
    {
        if (stored)
        {
            auto file = openConsolePreferences (lab.device->uniqueName(), folder.getFile());
            stored (*file);
            file->getFile().getParentDirectory().createDirectory();
            file->saveIfNeeded();
        }
        lab.device->open(); // the window's own opening, which its destructor closes
        window = std::make_unique<ConsoleWindow> (lab.device, &listener, folder.getFile(), false);
    }

    ~WindowRig()
    {
        window.reset();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }

    static sim::PlugOptions options (const juce::String& profile)
    {
        sim::PlugOptions o;
        o.profile = profile;
        return o;
    }

    juce::File preferencesFile() const
    {
        return folder.getFile().getChildFile (lab.device->uniqueName() + ".properties");
    }

    std::unique_ptr<juce::PropertiesFile> reload() const
    {
        return openConsolePreferences (lab.device->uniqueName(), folder.getFile());
    }

    ConsoleContent& content() { return window->getContent(); }
    ConsoleState& state() { return window->getState(); }
    sim::SimDevice& device() { return *lab.sim; }

    juce::TemporaryFile folder;
    LabDevice lab;
    CountingListener listener;
    std::unique_ptr<ConsoleWindow> window;
};

} // namespace arx::test

namespace arx::test
{

// Every meter poll of the lab answers `inputLevel (input)` for its input meters from here on.
inline void holdInputMeters (LabDevice& lab, std::function<uint32_t (int input)> inputLevel)
{
    constexpr int outputCountWord = 12, firstMeterWord = 16;
    lab.hook.after = [inputLevel] (uint32_t code, const uint32_t* in, uint32_t* out, uint32_t& returned) {
        if (code != platform::IOCTL_ARX_GWC_TRANSACTION || in[packetCategory] != 0 || in[packetCommand] != 1)
            return;
        const auto words = (int) returned / 4;
        for (int w = firstMeterWord + (int) out[outputCountWord], i = 0; w < words; ++w, ++i)
            out[w] = inputLevel (i);
    };
}

// Waits until the window's hardware thread has served what was queued before this call: the
// status poll queued behind it reaches the device.
inline bool waitUntilServed (WindowRig& rig)
{
    const int polls = rig.device().requestCount ("0/1");
    rig.content().getHardwareThread().queueGet (*rig.content().getPoller());
    return pumpUntil ([&] { return rig.device().requestCount ("0/1") > polls; });
}

// A gang button of the playback or output strips' kind, whose link the test sets by hand.
class TestGang : public GangButton
{
public:
    using GangButton::GangButton;
    void refreshFromState() override {}
    void storeLink() override {}
};

// Types `text` into an editable label and presses Return, as the user does.
inline void typeInto (juce::Label& label, const juce::String& text)
{
    label.showEditor();
    auto* editor = label.getCurrentTextEditor();
    ASSERT_NE (editor, nullptr);
    editor->setText (text);
    editor->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    ASSERT_TRUE (pumpUntil ([&] { return label.getCurrentTextEditor() == nullptr; }));
}

// A mouse event on `c` at `p` (in its own coordinates), as the window would deliver it.
inline juce::MouseEvent mouseAt (juce::Component& c, juce::Point<float> p, juce::ModifierKeys mods = {},
                                 bool dragged = false)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), p, mods,
                             juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                             juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                             juce::MouseInputSource::defaultTiltY, &c, &c, now, p, now, 1, dragged);
}

} // namespace arx::test
