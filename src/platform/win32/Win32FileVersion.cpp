// The Windows side of platform/FileVersion.h: the system folder and the version resources of
// files, in the W calls.

#include "platform/FileVersion.h"

#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Text.h"

#include <vector>

namespace arx::platform
{

bool getSystemDirectory (juce::String& path)
{
    wchar_t buffer[MAX_PATH + 1] {};
    const UINT length = ::GetSystemDirectoryW (buffer, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)
        return false;
    path = win32::fromWide (buffer, length);
    return true;
}

bool getFileVersion (const juce::String& path, uint32_t& mostSignificant, uint32_t& leastSignificant)
{
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW (path.toWideCharPointer(), &ignored);
    if (size == 0)
        return false;

    std::vector<uint8_t> block (size);
    if (! ::GetFileVersionInfoW (path.toWideCharPointer(), 0, size, block.data()))
        return false;

    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (! ::VerQueryValueW (block.data(), L"\\", reinterpret_cast<void**> (&info), &infoSize)
        || info == nullptr || infoSize < sizeof (VS_FIXEDFILEINFO) || info->dwSignature != VS_FFI_SIGNATURE)
        return false;

    mostSignificant = info->dwFileVersionMS;
    leastSignificant = info->dwFileVersionLS;
    return true;
}

} // namespace arx::platform
