#pragma once

// The figures a benchmark binary prints side by side after its runs.

#include <cstdio>
#include <map>
#include <string>

namespace arx::bench
{

inline std::map<std::string, std::string>& table()
{
    static std::map<std::string, std::string> rows;
    return rows;
}

inline std::string format (const char* pattern, double value)
{
    char text[64];
    std::snprintf (text, sizeof (text), pattern, value);
    return text;
}

inline void printTable (const char* heading)
{
    std::printf ("\n%-66s %s\n", heading, "value");
    for (auto& [what, value] : table())
        std::printf ("%-66s %s\n", what.c_str(), value.c_str());
}

} // namespace arx::bench
