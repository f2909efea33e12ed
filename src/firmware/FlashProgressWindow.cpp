#include "firmware/FlashProgressWindow.h"

#include "look/ConsoleZoom.h"

namespace arx
{

FlashProgressWindow::FlashProgressWindow (juce::Component* parent, bool showWarning, bool addToDesktop)
    : scale (ConsoleZoom::scaleOf (parent))
{
    setSize (windowWidth, windowHeight);
    placeOver (parent);

    if (showWarning)
    {
        warning = std::make_unique<juce::Label> ("warning", "Please do not turn off or disconnect your ARX.");
        warning->setBounds (35, 40, 280, 20);
        warning->setJustificationType (juce::Justification::centred);
        warning->setColour (juce::Label::textColourId,
                            getLookAndFeel().findColour (juce::AlertWindow::textColourId));
        warning->setFont (warning->getFont().boldened());
        addAndMakeVisible (*warning);
    }

    setOpaque (true);
    setVisible (true);

    if (addToDesktop)
    {
        Component::addToDesktop (juce::ComponentPeer::windowHasDropShadow);
        toFront (false);
    }

    startTimer (30);
}

FlashProgressWindow::~FlashProgressWindow()
{
    stopTimer();
}

void FlashProgressWindow::placeOver (juce::Component* parent)
{
    if (parent != nullptr)
    {
        const auto area = parent->getScreenBounds();
        if (scale == 1.0f)
            setTopLeftPosition (area.getX() + area.getWidth() / 2 - windowWidth / 2,
                                area.getY() + area.getHeight() / 2 - windowHeight / 2);
        else
            setBounds (ConsoleZoom::centredAt (area.getCentre(), getLocalBounds(), scale));
        return;
    }

    // Without a display there is no screen to centre on; stay where we are.
    if (const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
    {
        const auto screen = display->userArea;
        setTopLeftPosition (screen.getCentreX() - windowWidth / 2, screen.getCentreY() - windowHeight / 2);
    }
}

void FlashProgressWindow::setTitle (const juce::String& text)
{
    const juce::ScopedLock sl (lock);
    title = text;
}

void FlashProgressWindow::setStatus (const juce::String& text)
{
    const juce::ScopedLock sl (lock);
    status = text;
}

void FlashProgressWindow::setDescription (const juce::String& text)
{
    const juce::ScopedLock sl (lock);
    description = text;
}

juce::String FlashProgressWindow::getTitle() const
{
    const juce::ScopedLock sl (lock);
    return title;
}

juce::String FlashProgressWindow::getStatus() const
{
    const juce::ScopedLock sl (lock);
    return status;
}

juce::String FlashProgressWindow::getDescription() const
{
    const juce::ScopedLock sl (lock);
    return description;
}

void FlashProgressWindow::setMinimumStep (float step)
{
    minimumStep = step;
}

void FlashProgressWindow::setProgress (float value)
{
    // Small steps are swallowed so that a bar fed per block does not flicker.
    if (value - progress.load() >= minimumStep.load())
        progress = value;
}

void FlashProgressWindow::resetProgress()
{
    progress = 0.0f;
}

void FlashProgressWindow::timerCallback()
{
    repaint();
}

void FlashProgressWindow::paint (juce::Graphics& g)
{
    auto& lf = getLookAndFeel();
    const int w = getWidth();
    const int h = getHeight();
    const int barWidth = (int) ((float) w * 0.8f);
    const int x = (w - barWidth) / 2;

    g.fillAll (lf.findColour (juce::AlertWindow::backgroundColourId));
    g.setColour (lf.findColour (juce::AlertWindow::outlineColourId));
    g.drawRect (1, 1, w - 2, h - 2, 1);

    const auto textColour = lf.findColour (juce::AlertWindow::textColourId);

    {
        const juce::ScopedLock sl (lock);
        g.setColour (textColour);
        g.setFont (juce::Font (16.0f, juce::Font::bold));
        g.drawFittedText (title, x, 15, barWidth, 30, juce::Justification::centred, 1, 0.7f);
    }

    paintBar (g, x, barWidth);

    const juce::ScopedLock sl (lock);
    g.setColour (textColour);
    g.setFont (juce::Font (16.0f, juce::Font::bold));
    g.drawText (status, x, 85, barWidth, 22, juce::Justification::centred, false);

    g.setFont (juce::Font (15.0f, juce::Font::plain));
    g.drawFittedText (description, x, 125, barWidth, 35, juce::Justification::centred, 1, 0.7f);
}

void FlashProgressWindow::paintBar (juce::Graphics& g, int x, int barWidth)
{
    const auto barColour = getLookAndFeel().findColour (juce::ProgressBar::foregroundColourId);
    g.setColour (barColour);
    g.drawRect (x, 85, barWidth, 22, 1);

    const float inner = (float) (barWidth - 2);
    const float filled = juce::jlimit (0.0f, inner, inner * progress.load());
    if (filled > 0.0f)
        juce::LookAndFeel_V2::drawGlassLozenge (g, (float) (x + 1), 86.0f, filled, 20.0f, barColour,
                                           0.5f, 0.0f, true, true, true, true);
}

} // namespace arx
