// Registry values as the Win32 backend reads them from a real key: every Windows type, text in
// UTF-16 handed out narrow, and the size rules of RegQueryValueExA.

#include "platform/win32/Win32RegistryKey.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

namespace arx::win32test
{
namespace
{
using platform::win32::Win32RegistryKey;

struct Read
{
    bool ok = false;
    std::vector<uint8_t> bytes;
};

Read query (Win32RegistryKey& key, const char* name, uint32_t capacity)
{
    std::vector<uint8_t> buffer (capacity + 1, 0xEE);
    uint32_t size = capacity;
    Read r;
    r.ok = key.queryValue (name, buffer.data(), size);
    if (r.ok)
        r.bytes.assign (buffer.begin(), buffer.begin() + size);
    EXPECT_EQ (buffer[capacity], 0xEE) << "wrote past the capacity of " << name;
    return r;
}

std::vector<uint8_t> bytesOf (const char* text, size_t count) { return { text, text + count }; }

TEST (Win32RegistryKey, StringValuesComeOutNarrowWithTheTerminatorsTheyWereStoredWith)
{
    ScratchKey scratch;
    scratch.setText (L"unique_name", L"Zulu");
    scratch.setText (L"wide", L"B\u00fchne \u03a9 \U0001D11E");
    scratch.setText (L"bare", std::wstring (64, L'N'), false);
    const wchar_t multi[] = L"one\0two\0";
    scratch.set (L"multi", REG_MULTI_SZ, multi, sizeof (multi));
    scratch.set (L"expand", REG_EXPAND_SZ, L"%TEMP%", 7 * sizeof (wchar_t));
    const wchar_t lone[] = { L'a', 0xD834, L'b', 0 };
    scratch.set (L"lone", REG_SZ, lone, sizeof (lone));
    scratch.set (L"odd", REG_SZ, L"ab", 3); // half a character at the end

    Win32RegistryKey key (scratch.duplicate());

    EXPECT_EQ (query (key, "unique_name", 64).bytes, bytesOf ("Zulu", 5));
    EXPECT_FALSE (query (key, "unique_name", 4).ok) << "the terminator does not fit";
    EXPECT_EQ (query (key, "wide", 64).bytes, bytesOf ("B\xc3\xbchne \xce\xa9 \xf0\x9d\x84\x9e", 15));
    const auto bare = query (key, "bare", 64);
    ASSERT_TRUE (bare.ok) << "64 characters without a terminator fit 64 bytes";
    EXPECT_EQ (bare.bytes, std::vector<uint8_t> (64, 'N'));
    EXPECT_EQ (query (key, "multi", 64).bytes, bytesOf ("one\0two\0", 9));
    EXPECT_EQ (query (key, "expand", 64).bytes, bytesOf ("%TEMP%", 7)); // not expanded
    EXPECT_EQ (query (key, "lone", 64).bytes, bytesOf ("a\xef\xbf\xbd" "b", 6));
    EXPECT_EQ (query (key, "odd", 64).bytes, bytesOf ("a", 1));
}

TEST (Win32RegistryKey, OtherTypesAsStoredMissingAndOversizedValuesFail)
{
    ScratchKey scratch;
    std::vector<uint8_t> caps (260);
    for (size_t i = 0; i < caps.size(); ++i)
        caps[i] = uint8_t (i * 7);
    scratch.set (L"hwinfo_caps", REG_BINARY, caps.data(), (DWORD) caps.size());
    const DWORD word = 0x75B;
    scratch.set (L"dword", REG_DWORD, &word, sizeof (word));
    scratch.set (L"empty", REG_BINARY, nullptr, 0);
    std::vector<uint8_t> huge (Win32RegistryKey::maxValueBytes + 1, 1);
    scratch.set (L"huge", REG_BINARY, huge.data(), (DWORD) huge.size());

    Win32RegistryKey key (scratch.duplicate());
    EXPECT_EQ (query (key, "hwinfo_caps", 260).bytes, caps);
    EXPECT_FALSE (query (key, "hwinfo_caps", 259).ok);
    EXPECT_EQ (query (key, "dword", 16).bytes, std::vector<uint8_t> ({ 0x5B, 0x07, 0, 0 }));
    const auto empty = query (key, "empty", 16);
    EXPECT_TRUE (empty.ok);
    EXPECT_TRUE (empty.bytes.empty());
    EXPECT_FALSE (query (key, "missing", 16).ok);
    EXPECT_FALSE (query (key, "huge", 128).ok);

    uint32_t size = 16;
    EXPECT_FALSE (key.queryValue (nullptr, caps.data(), size));
    EXPECT_FALSE (key.queryValue ("dword", nullptr, size));
}

} // namespace
} // namespace arx::win32test
