#pragma once

// The console's command line, answered before the application starts: --help and --version need
// neither a display nor a device. Anything else the program does not know is refused with the
// usage, as a typing error should not start a console that ignores it.

#include <juce_core/juce_core.h>

#include <ostream>

namespace arx
{

class CommandLine
{
public:
    // What main does with the arguments (without the program's name).
    struct Outcome
    {
        bool start = false; // run the console
        int exitCode = 0;   // otherwise: end with this
    };

    // --help and --version write to `out`; an unknown argument writes the usage to `err`.
    static Outcome handle (const juce::StringArray& arguments, std::ostream& out, std::ostream& err);

    static juce::String usage();
    // The version the program is built as (the project's version).
    static juce::String version();

    static constexpr int usageError = 2;
};

} // namespace arx
