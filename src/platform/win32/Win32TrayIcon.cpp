#include "platform/win32/Win32TrayIcon.h"

namespace arx::platform::desktop
{

std::unique_ptr<TrayIcon> TrayIcon::create (const juce::Image& image, const juce::String& tooltip, Client& client)
{
    return std::make_unique<Win32TrayIcon> (image, tooltip, client);
}

Win32TrayIcon::Win32TrayIcon (const juce::Image& image, const juce::String& tooltip, Client& c) : client (c)
{
    setIconImage (image, {});
    setIconTooltip (tooltip);
}

void Win32TrayIcon::mouseDown (const juce::MouseEvent& e)
{
    // Both buttons down counts as a left click.
    if (e.mods.isLeftButtonDown())
    {
        client.trayIconActivated();
    }
    else if (e.mods.isRightButtonDown())
    {
        auto menu = client.trayIconMenu();
        juce::Component::SafePointer<juce::Component> alive (this);
        menu.items.showMenuAsync (juce::PopupMenu::Options().withMousePosition(),
                                  [alive, choose = std::move (menu.choose)] (int choice) {
                                      if (alive != nullptr && choose)
                                          choose (choice);
                                  });
    }
}

} // namespace arx::platform::desktop
