#include "platform/linux/LinuxTrayIcon.h"

namespace arx::platform::desktop
{

std::unique_ptr<TrayIcon> TrayIcon::create (const juce::Image& image, const juce::String& tooltip, Client& client)
{
    return std::make_unique<LinuxTrayIcon> (image, tooltip, client);
}

LinuxTrayIcon::LinuxTrayIcon (const juce::Image& image, const juce::String&, Client& client) : docked (image, client) {}

} // namespace arx::platform::desktop
