#pragma once

// What the benches read of the running console and its lab from outside: the lab's dump of a
// device over its control socket, the console's CPU time, and percentiles of the samples.

#include "sim/BusServer.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace arx::bench
{

using Clock = std::chrono::steady_clock;

inline double msSince (Clock::time_point start)
{
    return std::chrono::duration<double, std::milli> (Clock::now() - start).count();
}

// The lab's dump of a device straight from its control socket: `arx-devsim dump` would add a
// process start to every look.
class LabProbe
{
public:
    LabProbe (const std::string& deviceDir, const std::string& device)
        : path (juce::File (deviceDir)
                    .getChildFile (arx::sim::BusServer::controlSocketName)
                    .getFullPathName()
                    .toStdString()),
          line ("dump " + device + "\n")
    {
    }

    std::string dump() const
    {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy (addr.sun_path, path.c_str(), sizeof (addr.sun_path) - 1);
        const int fd = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        std::string reply;
        if (fd >= 0 && ::connect (fd, reinterpret_cast<sockaddr*> (&addr), sizeof (addr)) == 0 &&
            ::send (fd, line.data(), line.size(), MSG_NOSIGNAL) == (ssize_t)line.size())
        {
            char buffer[65536];
            for (;;)
            {
                const auto n = ::recv (fd, buffer, sizeof (buffer), 0);
                if (n <= 0)
                    break;
                reply.append (buffer, (size_t)n);
                if (reply.back() == '\n')
                    break;
            }
        }
        if (fd >= 0)
            ::close (fd);
        return reply;
    }

    // Element `index` of the array after "key" in a dump, or the number after it when it has
    // no array; -1 when the dump has neither.
    static long long numberAfter (const std::string& text, const std::string& key, int index = -1)
    {
        auto at = text.find ("\"" + key + "\":");
        if (at == std::string::npos)
            return -1;
        at += key.size() + 3;
        if (index >= 0)
        {
            at = text.find ('[', at);
            for (int i = 0; i < index && at != std::string::npos; ++i)
                at = text.find (',', at + 1);
            if (at == std::string::npos)
                return -1;
            ++at;
        }
        while (at < text.size() && (text[at] == ' ' || text[at] == '\n'))
            ++at;
        return at < text.size() ? std::strtoll (text.c_str() + at, nullptr, 10) : -1;
    }

    long long cell (const char* table, int index) const
    {
        return numberAfter (dump(), table, index);
    }

    // Looks until element `index` of `key` holds `value`, for at most 5 s from `sent`; the round
    // trip of each look goes to `looks`.
    bool waitUntilHolds (const std::string& key, int index, long long value, Clock::time_point sent,
                         std::vector<double>& looks) const
    {
        while (msSince (sent) < 5000)
        {
            const auto asked = Clock::now();
            const bool holds = numberAfter (dump(), key, index) == value;
            looks.push_back (msSince (asked));
            if (holds)
                return true;
        }
        return false;
    }

private:
    std::string path, line;
};

inline double percentile (std::vector<double> values, double p)
{
    if (values.empty())
        return -1;
    std::sort (values.begin(), values.end());
    return values[std::min (values.size() - 1, (size_t)(p * (double)values.size()))];
}

// utime + stime of a process in seconds, or -1 when it cannot be read.
inline double tickSeconds (pid_t pid)
{
    std::ifstream in ("/proc/" + std::to_string (pid) + "/stat");
    std::string stat ((std::istreambuf_iterator<char> (in)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind (')');
    if (close == std::string::npos)
        return -1.0;
    std::istringstream fields (stat.substr (close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // After the command name: state is field 3; utime and stime are fields 14 and 15.
    for (int i = 3; i <= 15 && fields >> field; ++i)
    {
        if (i == 14)
            utime = std::stoull (field);
        if (i == 15)
            stime = std::stoull (field);
    }
    return double (utime + stime) / double (::sysconf (_SC_CLK_TCK));
}

// CPU time of a process in seconds, or -1 when it cannot be read: the run time of each of its
// threads in nanoseconds where the kernel keeps it, else utime + stime in clock ticks (10 ms,
// too coarse for an idle console over a few seconds).
inline double cpuSeconds (pid_t pid)
{
    double ns = 0;
    bool any = false;
    const juce::File tasks ("/proc/" + juce::String (pid) + "/task");
    for (const auto& task : tasks.findChildFiles (juce::File::findDirectories, false))
    {
        const auto fields = juce::StringArray::fromTokens (task.getChildFile ("schedstat").loadFileAsString(), false);
        if (fields.isEmpty())
            continue;
        ns += fields[0].getDoubleValue();
        any = true;
    }
    if (any)
        return ns / 1e9;
    return tickSeconds (pid);
}

} // namespace arx::bench
