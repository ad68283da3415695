// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/SystemTreesBelow.h"

namespace vacantix {

SystemTreesBelow::SystemTreesBelow(const FileSystem& fs, const RealRoot& real, const std::string& root)
    : rootLength_(root.size())
{
    add(fs, real.of(root));
    if (!real.givenIsReal())
        add(fs, root);
}

void SystemTreesBelow::add(const FileSystem& fs, const std::string& root)
{
    if (IsInSystemFolder(fs, root)) {
        rootInside_ = true;
        return;
    }
    // A path below the root is the root, "/" and the rest; it starts a
    // system tree only where the tree is the root, "/" and more.
    for (const std::string& tree : fs.systemFolders()) {
        if (tree.size() <= root.size() || !tree.starts_with(root))
            continue;
        std::string_view rest = std::string_view(tree).substr(root.size());
        if (!root.ends_with('/') && !rest.starts_with('/'))
            continue;
        while (rest.starts_with('/'))
            rest.remove_prefix(1);
        below_.emplace_back(rest);
    }
}

bool SystemTreesBelow::contain(std::string_view path) const
{
    if (rootInside_)
        return true;
    if (below_.empty() || path.size() <= rootLength_)
        return false;
    std::string_view rest = path.substr(rootLength_);
    while (rest.starts_with('/'))
        rest.remove_prefix(1);
    for (const std::string& tree : below_) {
        if (rest.starts_with(tree) &&
            (rest.size() == tree.size() || rest[tree.size()] == '/' || tree.ends_with('/') || tree.empty()))
            return true;
    }
    return false;
}

} // namespace vacantix
