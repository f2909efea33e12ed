#include "mixer/ConsoleWindow.h"

#include "platform/Desktop.h"

namespace arx
{

bool ConsoleWindow::isShownOnScreen() const
{
    if (! isVisible())
        return false;

    auto* peer = getPeer();
    if (peer == nullptr)
        return true; // not on the desktop (tests): its visible flag is all there is
    if (peer->isMinimised())
        return false;
    return platform::desktop::isWindowShown (*peer);
}

} // namespace arx
