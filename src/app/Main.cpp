#include "app/CommandLine.h"
#include "app/ConsoleApp.h"

#include <iostream>

namespace
{
juce::JUCEApplicationBase* createConsoleApp() { return new arx::ConsoleApp(); }

// The command line is answered before JUCE starts, so --help and --version need no display.
bool answerCommandLine (const juce::StringArray& arguments, int& exitCode)
{
    const auto outcome = arx::CommandLine::handle (arguments, std::cout, std::cerr);
    exitCode = outcome.exitCode;
    juce::JUCEApplicationBase::createInstance = &createConsoleApp;
    return ! outcome.start;
}
} // namespace

#if JUCE_WINDOWS
int __stdcall WinMain (struct HINSTANCE__*, struct HINSTANCE__*, char*, int)
{
    int exitCode = 0;
    if (answerCommandLine (juce::JUCEApplicationBase::getCommandLineParameterArray(), exitCode))
        return exitCode;
    return juce::JUCEApplicationBase::main();
}
#else
int main (int argc, char* argv[])
{
    juce::StringArray arguments;
    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));
    int exitCode = 0;
    if (answerCommandLine (arguments, exitCode))
        return exitCode;
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
#endif
