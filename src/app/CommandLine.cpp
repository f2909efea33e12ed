#include "app/CommandLine.h"

namespace arx
{

juce::String CommandLine::version()
{
    return ARX_VERSION_STRING;
}

juce::String CommandLine::usage()
{
    return "Usage: arx-console [--help | --version | -forceupdate]\n"
           "\n"
           "The control console of the ARX audio interface: one window per connected device,\n"
           "and an icon in the system tray.\n"
           "\n"
           "  --help, -h       show this help and exit\n"
           "  --version, -V    show the version and exit\n"
           "  -forceupdate     offer the firmware update even when the device's firmware is current\n";
}

CommandLine::Outcome CommandLine::handle (const juce::StringArray& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.isEmpty())
        return { true, 0 };

    const auto& first = arguments[0];
    if (arguments.size() == 1)
    {
        if (first == "--help" || first == "-h")
        {
            out << usage();
            return { false, 0 };
        }
        if (first == "--version" || first == "-V")
        {
            out << "arx-console " << version() << "\n";
            return { false, 0 };
        }
        if (first == "-forceupdate")
            return { true, 0 };
    }

    if (arguments.size() == 1)
        err << "arx-console: unknown option '" << first << "'\n\n";
    else
        err << "arx-console: one option at most\n\n";
    err << usage();
    return { false, usageError };
}

} // namespace arx
