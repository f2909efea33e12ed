#include "e2e/harness/E2eProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <map>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace arx::e2e
{
namespace
{
using Clock = std::chrono::steady_clock;

int msSince (Clock::time_point start)
{
    return (int) std::chrono::duration_cast<std::chrono::milliseconds> (Clock::now() - start).count();
}

std::vector<char*> pointers (std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (auto& s : strings)
        out.push_back (s.data());
    out.push_back (nullptr);
    return out;
}

// Where the child's standard streams go: a file opened in the child, or a descriptor of ours.
struct Redirect
{
    int target;
    std::string path; // opened with `flags` when not empty
    int flags = 0;
    int fd = -1;      // duplicated when `path` is empty
};

pid_t spawn (const std::vector<std::string>& argv, const Environment& overrides,
             const std::vector<Redirect>& redirects, std::string& error)
{
    if (argv.empty())
    {
        error = "no program given";
        return -1;
    }
    auto args = argv;
    auto env = makeEnvironment (overrides);
    auto argp = pointers (args);
    auto envp = pointers (env);
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid < 0)
    {
        error = "cannot start " + argv[0] + ": " + std::strerror (errno);
        return -1;
    }
    if (pid == 0)
    {
        // Only async-signal-safe calls from here. The child ends with the test binary even
        // when that is killed (a runner's time-out), so nothing is left behind.
        ::prctl (PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit (127);
        ::setpgid (0, 0);
        for (auto& r : redirects)
        {
            const int fd = r.path.empty() ? r.fd : ::open (r.path.c_str(), r.flags, 0644);
            if (fd < 0 || ::dup2 (fd, r.target) < 0)
                ::_exit (127);
        }
        ::execve (argp[0], argp.data(), envp.data());
        ::_exit (127);
    }
    return pid;
}
} // namespace

std::vector<std::string> makeEnvironment (const Environment& overrides)
{
    std::map<std::string, std::string> vars;
    for (char** e = environ; e != nullptr && *e != nullptr; ++e)
    {
        const std::string entry (*e);
        const auto eq = entry.find ('=');
        if (eq != std::string::npos)
            vars[entry.substr (0, eq)] = entry.substr (eq + 1);
    }
    for (auto& [key, value] : overrides)
        vars[key] = value;
    std::vector<std::string> out;
    for (auto& [key, value] : vars)
        out.push_back (key + "=" + value);
    return out;
}

E2eProcess::~E2eProcess()
{
    stop (2000);
}

bool E2eProcess::start (const std::vector<std::string>& argv, const Environment& overrides,
                        const std::string& outFile, const std::string& errFile, std::string& error)
{
    stop (2000);
    code = -1;
    bySignal = false;
    const std::vector<Redirect> redirects { { 0, "/dev/null", O_RDONLY },
                                            { 1, outFile, O_WRONLY | O_CREAT | O_APPEND },
                                            { 2, errFile, O_WRONLY | O_CREAT | O_APPEND } };
    child = spawn (argv, overrides, redirects, error);
    return child > 0;
}

bool E2eProcess::reap (bool block)
{
    if (child <= 0)
        return true;
    int status = 0;
    const pid_t r = ::waitpid (child, &status, block ? 0 : WNOHANG);
    if (r == 0)
        return false;
    if (r == child)
    {
        bySignal = WIFSIGNALED (status);
        code = WIFEXITED (status) ? WEXITSTATUS (status) : -1;
    }
    child = -1;
    return true;
}

bool E2eProcess::isRunning()
{
    return ! reap (false);
}

bool E2eProcess::waitForExit (int timeoutMs)
{
    const auto start = Clock::now();
    while (! reap (false))
    {
        if (msSince (start) >= timeoutMs)
            return false;
        std::this_thread::sleep_for (std::chrono::milliseconds (20));
    }
    return true;
}

void E2eProcess::stop (int graceMs)
{
    if (child <= 0)
        return;
    ::kill (child, SIGTERM);
    if (! waitForExit (graceMs))
    {
        ::kill (child, SIGKILL);
        reap (true);
    }
}

CommandResult E2eProcess::run (const std::vector<std::string>& argv, const Environment& overrides, int timeoutMs)
{
    CommandResult result;
    int outPipe[2], errPipe[2];
    if (::pipe2 (outPipe, O_CLOEXEC) != 0)
        return result;
    if (::pipe2 (errPipe, O_CLOEXEC) != 0)
    {
        ::close (outPipe[0]);
        ::close (outPipe[1]);
        return result;
    }
    const std::vector<Redirect> redirects { { 0, "/dev/null", O_RDONLY }, { 1, {}, 0, outPipe[1] }, { 2, {}, 0, errPipe[1] } };
    std::string error;
    const pid_t pid = spawn (argv, overrides, redirects, error);
    ::close (outPipe[1]);
    ::close (errPipe[1]);
    if (pid <= 0)
    {
        ::close (outPipe[0]);
        ::close (errPipe[0]);
        result.err = error;
        return result;
    }

    const auto start = Clock::now();
    pollfd fds[2] = { { outPipe[0], POLLIN, 0 }, { errPipe[0], POLLIN, 0 } };
    std::string* sinks[2] = { &result.out, &result.err };
    int open = 2;
    while (open > 0)
    {
        const int left = timeoutMs - msSince (start);
        if (left <= 0 || ::poll (fds, 2, left) <= 0)
            break;
        for (int i = 0; i < 2; ++i)
        {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[8192];
            const auto n = ::read (fds[i].fd, buffer, sizeof (buffer));
            if (n > 0)
                sinks[i]->append (buffer, (size_t) n);
            else if (n == 0 || errno != EINTR)
            {
                ::close (fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0)
            ::close (f.fd);

    E2eProcess p;
    p.child = pid;
    if (! p.waitForExit (std::max (0, timeoutMs - msSince (start))))
    {
        p.stop (500);
        return result;
    }
    result.exitCode = p.exitCode();
    return result;
}

} // namespace arx::e2e
