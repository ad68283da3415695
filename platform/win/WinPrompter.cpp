// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes and the shell's item dialogs. The dialogs are COM objects;
// each call brings COM up on its thread for as long as it needs it (a
// thread where it is already up keeps it).
#include "platform/win/WinPrompter.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "platform/ApplicationTitle.h"
#include "platform/win/WinPath.h"

namespace vacantix {

using Microsoft::WRL::ComPtr;

std::wstring ControlText(std::string_view text)
{
    std::wstring wide;
    if (auto converted = WideOfUtf8(text)) {
        wide = std::move(*converted);
    } else {
        for (const char c : text)
            wide.push_back(static_cast<unsigned char>(c) < 0x80 ? static_cast<wchar_t>(c) : L'\uFFFD');
    }
    std::wstring shown;
    shown.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\r' || wide[i] == L'\n') {
            shown += L"\r\n";
            if (wide[i] == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n')
                ++i;
        } else {
            shown.push_back(wide[i]);
        }
    }
    return shown;
}

std::vector<std::wstring> FilterParts(std::string_view filter)
{
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    while (start < filter.size()) {
        const std::size_t bar = filter.find('|', start);
        const std::size_t end = bar == std::string_view::npos ? filter.size() : bar;
        parts.push_back(ControlText(filter.substr(start, end - start)));
        start = end + 1;
    }
    if (parts.size() % 2 != 0)
        parts.pop_back();
    return parts;
}

namespace {

// COM on this thread for the life of the object.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComScope()
    {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

int showBox(HWND owner, std::string_view text, const std::wstring& title, UINT style)
{
    return MessageBoxW(owner, ControlText(text).c_str(), title.c_str(), style | MB_SETFOREGROUND);
}

std::wstring applicationTitle()
{
    return ControlText(ApplicationTitle());
}

void setFileTypes(IFileDialog& dialog, std::string_view filter)
{
    const std::vector<std::wstring> parts = FilterParts(filter);
    std::vector<COMDLG_FILTERSPEC> types;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        types.push_back({parts[i].c_str(), parts[i + 1].c_str()});
    if (!types.empty())
        dialog.SetFileTypes(static_cast<UINT>(types.size()), types.data());
}

// The file-system path of a shell item in the engine's form; nothing for an
// item that has none (a library, a device).
std::optional<std::string> pathOf(IShellItem& item)
{
    PWSTR path = nullptr;
    if (FAILED(item.GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path)
        return std::nullopt;
    std::string result = EnginePath(path);
    CoTaskMemFree(path);
    return result;
}

// Opens a dialog at the user's profile folder, the home folder of Windows.
void startAtHome(IFileDialog& dialog)
{
    PWSTR home = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &home)))
        return;
    ComPtr<IShellItem> folder;
    if (SUCCEEDED(SHCreateItemFromParsingName(home, nullptr, IID_PPV_ARGS(&folder))))
        dialog.SetFolder(folder.Get());
    CoTaskMemFree(home);
}

// Shows a dialog made with `kind`, titled, with `options` added to its own
// and the overwrite question taken away; a file dialog (one with a filter)
// starts in the home folder. Null when it could not be made or was
// cancelled.
template <typename Dialog>
ComPtr<Dialog> showDialog(HWND owner, const CLSID& kind, std::string_view title, std::string_view filter,
                          FILEOPENDIALOGOPTIONS options)
{
    ComPtr<Dialog> dialog;
    if (FAILED(CoCreateInstance(kind, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))))
        return nullptr;
    FILEOPENDIALOGOPTIONS current = 0;
    dialog->GetOptions(&current);
    dialog->SetOptions((current & ~FOS_OVERWRITEPROMPT) | options | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR);
    dialog->SetTitle(ControlText(title).c_str());
    if (!filter.empty()) {
        setFileTypes(*dialog.Get(), filter);
        startAtHome(*dialog.Get());
    }
    if (FAILED(dialog->Show(owner)))
        return nullptr;
    return dialog;
}

} // namespace

void WinPrompter::message(std::string_view text)
{
    showBox(owner_, text, applicationTitle(), MB_OK);
}

bool WinPrompter::ask(std::string_view text)
{
    return showBox(owner_, text, applicationTitle(), MB_YESNO) == IDYES;
}

void WinPrompter::errorReport(std::string_view text)
{
    showBox(owner_, text, L"Application Error", MB_OK | MB_ICONEXCLAMATION);
}

std::vector<std::string> WinPrompter::openFiles(std::string_view title, std::string_view filter)
{
    const ComScope com;
    const auto dialog = showDialog<IFileOpenDialog>(owner_, CLSID_FileOpenDialog, title, filter,
                                                    FOS_ALLOWMULTISELECT | FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST);
    ComPtr<IShellItemArray> items;
    if (!dialog || FAILED(dialog->GetResults(&items)))
        return {};
    DWORD count = 0;
    items->GetCount(&count);
    std::vector<std::string> paths;
    for (DWORD i = 0; i < count; ++i) {
        ComPtr<IShellItem> item;
        if (SUCCEEDED(items->GetItemAt(i, &item)))
            if (auto path = pathOf(*item.Get()))
                paths.push_back(std::move(*path));
    }
    return paths;
}

std::optional<std::string> WinPrompter::saveFile(std::string_view title, std::string_view filter)
{
    const ComScope com;
    // The program asks about an existing file itself, and a name typed
    // without an extension is used as typed: no default extension is set.
    const auto dialog = showDialog<IFileSaveDialog>(owner_, CLSID_FileSaveDialog, title, filter, FOS_PATHMUSTEXIST);
    ComPtr<IShellItem> item;
    if (!dialog || FAILED(dialog->GetResult(&item)))
        return std::nullopt;
    return pathOf(*item.Get());
}

std::optional<std::string> WinPrompter::chooseFolder(std::string_view title)
{
    const ComScope com;
    const auto dialog = showDialog<IFileOpenDialog>(owner_, CLSID_FileOpenDialog, title, {},
                                                    FOS_PICKFOLDERS | FOS_PATHMUSTEXIST);
    ComPtr<IShellItem> item;
    if (!dialog || FAILED(dialog->GetResult(&item)))
        return std::nullopt;
    return pathOf(*item.Get());
}

} // namespace vacantix
