#include "ConsoleProgram.h"

#include "win32_test_support.h"

namespace arx::win32test
{

ConsoleProgram::ConsoleProgram()
{
    const auto exe = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("arx-console.exe");

    SECURITY_ATTRIBUTES inherit { sizeof (SECURITY_ATTRIBUTES), nullptr, TRUE };
    HANDLE outputWrite = nullptr;
    if (! ::CreatePipe (&outputRead, &outputWrite, &inherit, 0))
        return;
    ::SetHandleInformation (outputRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup {};
    startup.cb = sizeof (startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outputWrite;
    startup.hStdError = outputWrite;
    PROCESS_INFORMATION info {};
    ::SetEnvironmentVariableW (L"ARX_LOG", L"1");
    std::wstring commandLine = L"\"" + std::wstring (exe.getFullPathName().toWideCharPointer()) + L"\"";
    if (::CreateProcessW (nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
    {
        process = info.hProcess;
        pid = info.dwProcessId;
        ::CloseHandle (info.hThread);
    }
    ::CloseHandle (outputWrite); // the child's copy is the only writer now
    reader = std::thread ([this] { readOutput(); });
}

ConsoleProgram::~ConsoleProgram()
{
    if (process != nullptr)
    {
        if (exitCode() == STILL_ACTIVE)
            ::TerminateProcess (process, 1);
        ::WaitForSingleObject (process, 5000);
        ::CloseHandle (process);
    }
    reader.join(); // the pipe ends with its last writer
    ::CloseHandle (outputRead);
}

void ConsoleProgram::readOutput()
{
    char buffer[1024];
    DWORD got = 0;
    while (::ReadFile (outputRead, buffer, sizeof (buffer), &got, nullptr) && got > 0)
    {
        const std::lock_guard<std::mutex> guard (lock);
        output.append (buffer, got);
    }
    outputEnded = true;
}

bool ConsoleProgram::waitForExit (int limitMs)
{
    if (process == nullptr || ::WaitForSingleObject (process, (DWORD) limitMs) != WAIT_OBJECT_0)
        return false;
    // What it wrote last may still be in the pipe.
    waitUntil ([this] { return outputEnded.load(); }, 5000);
    return true;
}

DWORD ConsoleProgram::exitCode() const
{
    DWORD code = 0;
    if (process == nullptr || ! ::GetExitCodeProcess (process, &code))
        return 0xFFFFFFFF;
    return code;
}

std::string ConsoleProgram::log()
{
    const std::lock_guard<std::mutex> guard (lock);
    return output;
}

bool ConsoleProgram::waitForLog (const std::string& text, int limitMs)
{
    return waitUntil ([&] { return log().find (text) != std::string::npos; }, limitMs);
}

std::vector<HWND> ConsoleProgram::windows (bool shownOnly) const
{
    struct Search
    {
        DWORD pid;
        bool shownOnly;
        std::vector<HWND> found;
    } search { pid, shownOnly, {} };

    ::EnumWindows ([] (HWND h, LPARAM p) -> BOOL {
        auto& s = *reinterpret_cast<Search*> (p);
        DWORD owner = 0;
        ::GetWindowThreadProcessId (h, &owner);
        if (owner == s.pid && (! s.shownOnly || ::IsWindowVisible (h)))
            s.found.push_back (h);
        return TRUE;
    }, (LPARAM) &search);
    return search.found;
}

HWND ConsoleProgram::notificationWindow() const
{
    for (auto h : windows (false))
    {
        wchar_t className[64] {};
        ::GetClassNameW (h, className, 64);
        if (std::wstring (className) == L"notification msg window")
            return h;
    }
    return nullptr;
}

} // namespace arx::win32test
