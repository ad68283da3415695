// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/win/WinTestSupport.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win/WinPath.h"

namespace vacantix::wintest {

std::string gHome;
std::string gUnixData;

// Removes a folder and everything in it, read-only files too; links are
// removed, never followed.
void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW data{};
    const HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                         nullptr, 0);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTree(path);
            else if (!DeleteFileW(path.c_str()))
                RemoveDirectoryW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// Shared with the program's main below.
std::wstring wide(const std::string& path)
{
    return ExtendedPath(path).value_or(std::wstring());
}

void setVariable(const wchar_t* name, const std::string& value)
{
    const std::wstring text = WideOfUtf8(value).value_or(L"");
    SetEnvironmentVariableW(name, text.c_str());
    _wputenv_s(name, text.c_str());
}

const std::string& PrivateHome()
{
    return gHome;
}

const std::string& UnixDataHome()
{
    return gUnixData;
}

std::string UnixPathOf(const std::string& path)
{
    using Convert = char*(CDECL*)(LPCWSTR);
    static const auto convert =
        reinterpret_cast<Convert>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return {};
    std::wstring native = WideOfUtf8(path).value_or(L"");
    for (wchar_t& c : native)
        if (c == L'/')
            c = L'\\';
    char* unix = convert(native.c_str());
    if (!unix)
        return {};
    std::string result(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

std::string FreshFolder(std::string_view stem)
{
    static std::atomic<int> counter{0};
    const std::string path = gHome + "/" + std::string(stem) + "-" + std::to_string(++counter);
    CreateDirectoryW(wide(path).c_str(), nullptr);
    return path;
}

bool MakeFile(const std::string& path, std::size_t bytes)
{
    const HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const std::vector<char> data(bytes, 'x');
    DWORD written = 0;
    const bool ok = bytes == 0 || (WriteFile(file, data.data(), static_cast<DWORD>(bytes), &written, nullptr) &&
                                   written == bytes);
    CloseHandle(file);
    return ok;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool UnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

bool IsChild()
{
    return GetEnvironmentVariableW(L"VACANTIX_WIN_TEST_CHILD", nullptr, 0) != 0;
}

int RunSelf(std::string_view filter, std::string_view name, std::string_view value)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=" +
                           WideOfUtf8(filter).value_or(L"");
    // The child's environment: this one, with the two variables added.
    std::wstring block;
    const std::wstring setting = WideOfUtf8(name).value_or(L"") + L"=";
    wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* entry = current; *entry; entry += wcslen(entry) + 1)
        if (!std::wstring_view(entry).starts_with(setting))
            block.append(entry).push_back(L'\0');
    FreeEnvironmentStringsW(current);
    block.append(setting + WideOfUtf8(value).value_or(L"")).push_back(L'\0');
    block.append(L"VACANTIX_WIN_TEST_CHILD=1").push_back(L'\0');
    block.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT, block.data(),
                        nullptr, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(code);
}

namespace {

// Makes the private home before the first test and removes it after the
// last, so that the program needs no main of its own.
class PrivateHomeEnvironment final : public testing::Environment {
public:
    void SetUp() override
    {
        // A private home below the temporary folder, its data and
        // configuration folders inside it; a child started by RunSelf keeps
        // its parent's.
        if (IsChild()) {
            wchar_t home[32768] = {};
            GetEnvironmentVariableW(L"VACANTIX_WIN_TEST_HOME", home, 32768);
            gHome = Utf8OfWide(home);
            return;
        }
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        std::string stem = EnginePath(temp);
        if (!stem.ends_with('/'))
            stem.push_back('/');
        // Wine reuses process ids: a home left behind is never reused.
        stem += "vacantix-win-test-" + std::to_string(GetCurrentProcessId());
        for (int attempt = 0;; ++attempt) {
            gHome = stem + "-" + std::to_string(attempt);
            if (CreateDirectoryW(wide(gHome).c_str(), nullptr) || attempt > 1000)
                break;
        }
        CreateDirectoryW(wide(gHome + "/share").c_str(), nullptr);
        CreateDirectoryW(wide(gHome + "/config").c_str(), nullptr);
        setVariable(L"VACANTIX_WIN_TEST_HOME", gHome);
        const std::string unixHome = UnixPathOf(gHome);
        if (!unixHome.empty()) {
            gUnixData = unixHome + "/share";
            setVariable(L"HOME", unixHome);
            setVariable(L"XDG_DATA_HOME", gUnixData);
            setVariable(L"XDG_CONFIG_HOME", unixHome + "/config");
        }
    }

    void TearDown() override
    {
        if (!IsChild())
            RemoveTree(wide(gHome));
    }
};

[[maybe_unused]] testing::Environment* const kPrivateHome =
    testing::AddGlobalTestEnvironment(new PrivateHomeEnvironment);

// A line "PASS <suite>.<test>" or "FAIL <suite>.<test>" (or "SKIP") after
// each test, besides Google Test's own; the exit code stays Google Test's,
// which CTest reads.
class PassFailLines final : public testing::EmptyTestEventListener {
public:
    void OnTestEnd(const testing::TestInfo& test) override
    {
        const testing::TestResult& result = *test.result();
        const char* verdict = result.Failed() ? "FAIL" : result.Skipped() ? "SKIP" : "PASS";
        std::printf("%s %s.%s\n", verdict, test.test_suite_name(), test.name());
        std::fflush(stdout);
    }
};

[[maybe_unused]] const bool kPassFailLines = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new PassFailLines);
    return true;
}();

} // namespace

} // namespace vacantix::wintest
