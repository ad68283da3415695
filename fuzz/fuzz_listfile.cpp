// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the list-file reader as the text of a list file,
// against a small tree in memory, and to the separator tidying of typed paths.
#include <string>

#include "fuzz/FuzzInput.h"
#include "platform/FakeFileSystem.h"
#include "roots/FolderList.h"
#include "roots/ListFile.h"

using namespace vacantix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::AsText(data, size);

    static FakeFileSystem* fs = [] {
        auto* made = new FakeFileSystem;
        made->add("/", "a/\na/b/\na/b/c/\nd/f:0\nl->a\ne/x!\n");
        return made;
    }();
    ScanHooks hooks;
    MemoryFolderList roots;
    LoadListText(roots, text, *fs, hooks);
    for (const std::string& root : roots.entries()) {
        // Every root is a folder that exists, written with a final "/",
        // and no line break ever becomes part of one.
        FUZZ_EXPECT(!root.empty() && root.back() == '/');
        FUZZ_EXPECT(root.find_first_of("\r\n") == std::string::npos);
        FUZZ_EXPECT(fs->listNamed(WithoutTrailingSeparator(root)).ok());
    }

    const std::string tidy = CollapseDoubleBackslashes(text);
    FUZZ_EXPECT(tidy.size() <= text.size());
    FUZZ_EXPECT(tidy.starts_with('/') == text.starts_with('/'));
    FUZZ_EXPECT(!tidy.starts_with("//"));
    return 0;
}
