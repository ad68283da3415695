// SPDX-License-Identifier: GPL-3.0-or-later
#include "roots/ListFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/Failure.h"

namespace vacantix {

namespace {

// Closes the list file on every path out, also when reading fails.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadOnlyFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    [[nodiscard]] bool isOpen() const { return fd_ >= 0; }
    [[nodiscard]] int fd() const { return fd_; }

private:
    int fd_;
};

[[nodiscard]] Failure ReadFailure(int error)
{
    int number = OtherError;
    switch (error) {
    case EACCES:
    case EPERM: number = PermissionDenied; break;
    case ENOENT: number = FileNotFound; break;
    case ENOTDIR: number = PathNotFound; break;
    case ENAMETOOLONG:
    case EILSEQ: number = BadFileName; break;
    default: break;
    }
    return Failure(number, std::strerror(error));
}

[[nodiscard]] std::string ReadWholeFile(const std::string& path)
{
    ReadOnlyFile file(path);
    if (!file.isOpen())
        throw ReadFailure(errno);
    std::string contents;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(file.fd(), buffer, sizeof buffer);
        if (got == 0)
            return contents;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw ReadFailure(errno);
        }
        contents.append(buffer, static_cast<std::size_t>(got));
    }
}

void AddIfListable(FolderList& roots, std::string_view piece, FileSystem& fs)
{
    // A blank line would otherwise name the root folder of the disk.
    if (piece.empty())
        return;
    std::string path(piece);
    if (path.back() != '/')
        path.push_back('/');
    if (fs.listNamed(WithoutTrailingSeparator(path)).ok())
        roots.append(std::move(path));
}

} // namespace

void LoadListText(FolderList& roots, std::string_view contents, FileSystem& fs, ScanHooks& hooks)
{
    const WalkScope walk(fs);
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (contents.starts_with(byteOrderMark))
        contents.remove_prefix(byteOrderMark.size());

    // A line ends at CR, CR LF or the end of the text; a lone LF inside a
    // line separates further pieces of it.
    while (!contents.empty()) {
        hooks.yield();
        const std::size_t cr = contents.find('\r');
        std::string_view line = contents.substr(0, cr);
        if (cr == std::string_view::npos)
            contents = {};
        else
            contents.remove_prefix(cr + (contents.substr(cr, 2) == "\r\n" ? 2 : 1));

        for (std::size_t lf = line.find('\n'); lf != std::string_view::npos; lf = line.find('\n')) {
            hooks.yield();
            AddIfListable(roots, line.substr(0, lf), fs);
            line.remove_prefix(lf + 1);
        }
        AddIfListable(roots, line, fs);
    }
}

void LoadListFile(FolderList& roots, const std::string& listFile, FileSystem& fs, Prompter& prompter,
                  ScanHooks& hooks)
{
    if (!fs.fileExists(listFile)) {
        prompter.message("File not found");
        return;
    }
    LoadListText(roots, ReadWholeFile(listFile), fs, hooks);
}

std::string CollapseDoubleBackslashes(std::string_view path)
{
    std::string tidy;
    tidy.reserve(path.size());
    if (path.starts_with('/')) {
        tidy.push_back('/');
        path.remove_prefix(std::min(path.find_first_not_of('/'), path.size()));
    }
    for (std::size_t i = 0; i < path.size(); ++i) {
        tidy.push_back(path[i]);
        if (path[i] == '/' && i + 1 < path.size() && path[i + 1] == '/')
            ++i;
    }
    return tidy;
}

} // namespace vacantix
