#include "platform/linux/LinuxTrayIcon.h"

namespace arx::platform::desktop
{

std::unique_ptr<TrayIcon> TrayIcon::create (const juce::Image& image, const juce::String& tooltip, Client& client)
{
    return std::make_unique<LinuxTrayIcon> (image, tooltip, client);
}

LinuxTrayIcon::LinuxTrayIcon (const juce::Image& iconImage, const juce::String& tooltip, Client& c)
    : image (iconImage), client (c)
{
    if (! bus.isConnected())
    {
        follow();
        return;
    }
    // Nothing shows until the watcher has answered, so that the icon never shows twice.
    item = std::make_unique<StatusNotifierItem> (bus, image, tooltip, client);
    item->onShownChanged = [this] { follow(); };
}

LinuxTrayIcon::~LinuxTrayIcon()
{
    docked.reset();
    item.reset();
}

void LinuxTrayIcon::follow()
{
    if (item != nullptr && item->shown())
        docked.reset();
    else if (docked == nullptr)
        docked = std::make_unique<XEmbedTrayIcon> (image, client);
}

} // namespace arx::platform::desktop
