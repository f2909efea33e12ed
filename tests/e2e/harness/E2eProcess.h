#pragma once

// A program started by an end-to-end test: its own environment, its output in files, and a
// kill that always happens (destructor), also when the test fails half-way.

#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace arx::e2e
{

using Environment = std::vector<std::pair<std::string, std::string>>;

struct CommandResult
{
    int exitCode = -1; // -1 when it did not end in time or was killed by a signal
    std::string out;
    std::string err;
};

class E2eProcess
{
public:
    E2eProcess() = default;
    ~E2eProcess();

    E2eProcess (const E2eProcess&) = delete;
    E2eProcess& operator= (const E2eProcess&) = delete;

    // Starts argv[0] (a path) with the current environment plus `overrides`; stdout and stderr
    // are appended to the two files. False (with the reason in `error`) when it cannot start.
    bool start (const std::vector<std::string>& argv, const Environment& overrides,
                const std::string& outFile, const std::string& errFile, std::string& error);

    pid_t pid() const noexcept { return child; }
    bool isRunning();
    // Waits at most `timeoutMs` for the process to end; true when it has ended.
    bool waitForExit (int timeoutMs);
    // The exit code once ended normally, else -1.
    int exitCode() const noexcept { return code; }
    bool endedBySignal() const noexcept { return bySignal; }

    // SIGTERM, then SIGKILL after `graceMs`; reaps the child.
    void stop (int graceMs = 3000);

    // Runs a short command to its end (killed after `timeoutMs`), collecting its output.
    static CommandResult run (const std::vector<std::string>& argv, const Environment& overrides,
                              int timeoutMs = 15000);

private:
    bool reap (bool block);

    pid_t child = -1;
    int code = -1;
    bool bySignal = false;
};

// The process environment with `overrides` applied, as "KEY=value" strings.
std::vector<std::string> makeEnvironment (const Environment& overrides);

} // namespace arx::e2e
