// The program's command line, answered by the real binary without a display or a device.

#include "e2e/harness/ConsoleRig.h"
#include "e2e/harness/E2eProcess.h"

#include <gtest/gtest.h>

namespace arx::e2e
{
namespace
{
CommandResult runConsole (const std::vector<std::string>& args)
{
    std::vector<std::string> argv { ConsoleRig::binDir() + "/arx-console" };
    argv.insert (argv.end(), args.begin(), args.end());
    // No display and no device folder: an answer that needed either would not come.
    return E2eProcess::run (argv, { { "DISPLAY", "" }, { "ARX_DEVICE_DIR", "/nonexistent" } });
}

TEST (CommandLine, HelpAndVersionAnswerOnStandardOutputWithoutADisplay)
{
    for (const auto* option : { "--help", "-h" })
    {
        const auto help = runConsole ({ option });
        EXPECT_EQ (help.exitCode, 0) << option;
        EXPECT_NE (help.out.find ("Usage: arx-console"), std::string::npos) << help.out;
        EXPECT_NE (help.out.find ("-forceupdate"), std::string::npos) << help.out;
        EXPECT_EQ (help.err, "");
    }

    const auto version = runConsole ({ "--version" });
    EXPECT_EQ (version.exitCode, 0);
    EXPECT_EQ (version.out, "arx-console " ARX_PROJECT_VERSION "\n");
    EXPECT_EQ (version.err, "");
}

TEST (CommandLine, UnknownOptionsPrintTheUsageOnStandardErrorAndExitTwo)
{
    for (const std::vector<std::string>& args : { std::vector<std::string> { "--bogus" },
                                                  std::vector<std::string> { "-forceupdate", "--help" },
                                                  std::vector<std::string> { "-ForceUpdate" },
                                                  std::vector<std::string> { "--web" },
                                                  std::vector<std::string> { "--web", "0" },
                                                  std::vector<std::string> { "--web", "8400x" },
                                                  std::vector<std::string> { "--web", "65536" } })
    {
        const auto result = runConsole (args);
        EXPECT_EQ (result.exitCode, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_EQ (result.out, "");
        EXPECT_NE (result.err.find ("Usage: arx-console"), std::string::npos) << result.err;
    }
    EXPECT_NE (runConsole ({ "--bogus" }).err.find ("unknown option '--bogus'"), std::string::npos);
}

} // namespace
} // namespace arx::e2e
