#include "settings/SampleRate.h"

#include "console/ConsoleState.h"
#include "device/Device.h"
#include "settings/SampleRateLock.h"

#include <algorithm>

namespace arx
{

namespace
{
constexpr int buttonWidth = 80, buttonHeight = 22, rowPitch = 28, firstRowY = 25;
constexpr int leftX = 14, rightX = 106;
constexpr int groupWidth = 200;
constexpr int lockRateArgument = 0, unlockRateArgument = -2;
} // namespace

SampleRate::SampleRate (DeviceControlHost& host, bool vistaOrLater, std::function<void()> rateShown,
                        std::function<void()> rateChosenOnVista)
    : SettingsGroup (host, "sample rate select", "Sample rate"),
      vista (vistaOrLater),
      onRateShown (std::move (rateShown)),
      onRateChosenOnVista (std::move (rateChosenOnVista))
{
    const auto& info = device().info();
    for (const auto rate : candidateRates)
    {
        if (rate < info.minSampleRate() || rate > info.maxSampleRate())
            continue;

        const int index = int (rates.size());
        auto button = std::make_unique<juce::ToggleButton> (rateText (rate));
        button->setBounds (index % 2 == 0 ? leftX : rightX, firstRowY + rowPitch * (index / 2), buttonWidth, buttonHeight);
        button->setRadioGroupId (radioGroup);
        button->addListener (this);
        addAndMakeVisible (*button);
        rates.push_back ({ std::move (button), rate });
    }

    if (! rates.empty())
        rates.front().button->setToggleState (true, juce::dontSendNotification);

    const int rows = (rateCount() + 1) / 2;
    setSize (groupWidth, rows * rowPitch + 40 + (vista ? 0 : rowPitch));

    if (vista)
    {
        setText ("Core Audio sample rate");
    }
    else
    {
        lock = std::make_unique<SampleRateLock> (host);
        const int lastBottom = rows > 0 ? firstRowY + rowPitch * (rows - 1) + buttonHeight : firstRowY;
        lock->setTopLeftPosition (60, lastBottom + 12);
        addAndMakeVisible (*lock);
    }

    getThread().queueGet (*this);
}

SampleRate::~SampleRate()
{
    for (auto& r : rates)
        r.button->removeListener (this);
}

//==============================================================================
void SampleRate::get()
{
    const auto editsBefore = editCount();
    if (vista)
    {
        uint32_t rate = 0;
        const int code = device().driverSampleRate (rate);
        if (code == Device::resultOk)
            takeRead (editsBefore, [&] { state().setChosenSampleRate (rate); });
        onGetResult (code, this);
        return;
    }

    int source = 0, rate = 0;
    const int code = device().getClock (source, rate);
    if (code == Device::resultOk)
        takeRead (editsBefore, [&] { state().image().sampleRate = uint32_t (rate); });
    onGetResult (code, this);
}

bool SampleRate::isOffered (uint32_t rate) const
{
    return std::any_of (rates.begin(), rates.end(), [rate] (const Rate& r) { return r.rate == rate; });
}

void SampleRate::set()
{
    changePending = false;

    // A rate never read (a load or reset right after a failed read) or one from a session of
    // another device: the driver keeps the one it runs at.
    const auto rate = shownRate();
    if (! isOffered (rate))
    {
        juce::Logger::outputDebugString (juce::String::formatted ("Console - sample rate %u not offered, not sent", rate));
        return;
    }

    if (vista)
    {
        onSetResult (device().setDriverSampleRate (rate));
        return;
    }

    // A locked driver refuses a new rate: unlock around the change.
    const bool locked = lock != nullptr && lock->isLocked();
    if (locked)
        device().rateLockRequest (0, unlockRateArgument);
    const int code = device().setClock (-1, int (rate));
    if (locked)
        device().rateLockRequest (1, lockRateArgument);
    onSetResult (code);
}

void SampleRate::refresh (ConsoleState& consoleState, bool)
{
    const auto rate = consoleState.image().sampleRate;
    const auto& info = device().info();
    if (rate >= info.minSampleRate() && rate <= info.maxSampleRate())
        handleCommandMessage (0);
}

void SampleRate::update()
{
    if (vista)
        return;

    if (! changePending && device().driverInfoSampleRate() != state().image().sampleRate)
        getThread().queueGet (*this);
}

//==============================================================================
uint32_t SampleRate::shownRate() const
{
    return vista ? state().chosenSampleRate() : state().image().sampleRate;
}

void SampleRate::handleCommandMessage (int)
{
    const auto current = shownRate();
    for (auto& r : rates)
        r.button->setToggleState (r.rate == current, juce::dontSendNotification);

    if (onRateShown)
        onRateShown();
}

void SampleRate::buttonClicked (juce::Button* clicked)
{
    // A radio group also reports the buttons it turns off.
    if (! clicked->getToggleState())
        return;

    for (auto& r : rates)
    {
        if (r.button.get() != clicked)
            continue;

        commitEdit ([&] {
            if (vista)
                state().setChosenSampleRate (r.rate);
            else
                state().image().sampleRate = r.rate;
            changePending = true;
        });

        const auto& chosen = vista ? onRateChosenOnVista : onRateShown;
        if (chosen)
            chosen();
        return;
    }
}

} // namespace arx
