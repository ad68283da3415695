// SPDX-License-Identifier: GPL-3.0-or-later
// The registry store, under a key of the test's own below HKEY_CURRENT_USER.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win/RegistrySettingsStore.h"

namespace vacantix {
namespace {

class WinRegistry : public testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, wideKey().c_str()); }

    std::wstring wideKey() const { return L"Software\\Quillmark\\VacantixTest\\" + std::to_wstring(GetCurrentProcessId()); }
    std::string key() const { return "Software\\Quillmark\\VacantixTest\\" + std::to_string(GetCurrentProcessId()); }

    // The value as the registry holds it.
    std::pair<DWORD, std::wstring> raw(const wchar_t* name) const
    {
        DWORD type = 0;
        wchar_t data[256] = {};
        DWORD bytes = sizeof(data);
        if (RegGetValueW(HKEY_CURRENT_USER, wideKey().c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data,
                         &bytes) != ERROR_SUCCESS)
            return {0, L"?"};
        return {type, data};
    }

    void putRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes) const
    {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, wideKey().c_str(), name, type, data, bytes), ERROR_SUCCESS);
    }
};

TEST_F(WinRegistry, TextsRoundTripAsStrings)
{
    RegistrySettingsStore store(key());
    EXPECT_FALSE(store.get("Text1").has_value());
    const std::string texts[] = {
        "",
        "1",
        "Cache, keep, a,b",
        "System Volume Information\r\nRECYCLER\r\n$RECYCLE.BIN",
        "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x93\x81",
        "@Variant(not one)",
        "@@two",
        std::string(100000, 'L'),
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.substr(0, 40));
        store.set("Text1", text);
        EXPECT_EQ(store.get("Text1"), text);
        // Another store, as the window's would, sees the same text.
        EXPECT_EQ(RegistrySettingsStore(key()).get("Text1"), text);
    }
    store.set("Check1", "0");
    EXPECT_EQ(raw(L"Check1"), std::make_pair(DWORD(REG_SZ), std::wstring(L"0")));
    store.set("Combo1", "@x");
    EXPECT_EQ(raw(L"Combo1"), std::make_pair(DWORD(REG_SZ), std::wstring(L"@@x")));
    EXPECT_FALSE(store.get("Check2").has_value());
    EXPECT_EQ(RegistrySettingsStore().location(), "HKEY_CURRENT_USER\\Software\\Quillmark\\Vacantix\\Vacantix");
}

TEST_F(WinRegistry, ValuesWrittenByOthersReadAsText)
{
    RegistrySettingsStore store(key());
    const DWORD number = 1;
    const std::int64_t big = -5;
    const wchar_t list[] = L"Cache\0keep\0";
    const wchar_t expand[] = L"%TEMP%\\x";
    const wchar_t escaped[] = L"@@at";
    const wchar_t invalid[] = L"@Invalid()";
    putRaw(L"Check1", REG_DWORD, &number, sizeof(number));
    putRaw(L"Check2", REG_QWORD, &big, sizeof(big));
    putRaw(L"Text1", REG_MULTI_SZ, list, sizeof(list));
    putRaw(L"Text2", REG_EXPAND_SZ, expand, sizeof(expand));
    putRaw(L"Text3", REG_SZ, escaped, sizeof(escaped));
    putRaw(L"Text4", REG_SZ, invalid, sizeof(invalid));
    struct Case {
        const char* key;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {"Check1", "1"}, {"Check2", "-5"}, {"Text1", "Cache, keep"}, {"Text2", "%TEMP%\\x"},
        {"Text3", "@at"}, {"Text4", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(store.get(c.key), c.text) << c.key;
}

} // namespace
} // namespace vacantix
