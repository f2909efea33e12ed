#include "app/CommandLine.h"

namespace arx
{

juce::String CommandLine::version()
{
    return ARX_VERSION_STRING;
}

juce::String CommandLine::usage()
{
    return "Usage: arx-console [--help | --version] [-forceupdate] [--osc PORT [--osc-allow-others]]\n"
           "                   [--web PORT]\n"
           "\n"
           "The control console of the ARX audio interface: one window per connected device,\n"
           "and an icon in the system tray.\n"
           "\n"
           "  --help, -h       show this help and exit\n"
           "  --version, -V    show the version and exit\n"
           "  -forceupdate     offer the firmware update even when the device's firmware is current\n"
           "  --osc PORT       switch OSC remote control on at UDP PORT for this run (this computer only)\n"
           "  --osc-allow-others\n"
           "                   with --osc: listen on every interface, for other computers too\n"
           "  --web PORT       switch the web remote on at PORT for this run (this computer only)\n";
}

namespace
{
// The options that start the console, and whether each takes a port after it.
struct StartOption
{
    const char* name;
    bool takesPort;
};

constexpr StartOption startOptions[] = {
    { "-forceupdate", false },
    { "--osc", true },
    { "--osc-allow-others", false },
    { "--web", true },
};

const StartOption* findStartOption (const juce::String& word)
{
    for (const auto& option : startOptions)
        if (word == option.name)
            return &option;
    return nullptr;
}

bool isPort (const juce::String& text)
{
    return text.isNotEmpty() && text.containsOnly ("0123456789") && text.length() <= 5 && text.getIntValue() > 0
           && text.getIntValue() < 65536;
}
} // namespace

CommandLine::Outcome CommandLine::handle (const juce::StringArray& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.size() == 1)
    {
        const auto& first = arguments[0];
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
    }

    for (int i = 0; i < arguments.size(); ++i)
    {
        const auto* option = findStartOption (arguments[i]);
        if (option == nullptr)
        {
            err << "arx-console: unknown option '" << arguments[i] << "'\n\n" << usage();
            return { false, usageError };
        }
        if (option->takesPort && ! isPort (arguments[++i]))
        {
            err << "arx-console: " << option->name << " needs a port from 1 to 65535\n\n" << usage();
            return { false, usageError };
        }
    }
    return { true, 0 };
}

} // namespace arx
