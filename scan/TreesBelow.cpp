// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/TreesBelow.h"

#include <algorithm>

namespace vacantix {

TreesBelow::TreesBelow(const std::vector<std::string>& trees, const RealRoot& real, const std::string& root)
    : rootLength_(root.size())
{
    add(trees, real.of(root));
    if (!real.givenIsReal())
        add(trees, root);
}

void TreesBelow::add(const std::vector<std::string>& trees, const std::string& root)
{
    if (std::any_of(trees.begin(), trees.end(), [&](const std::string& tree) { return IsWithin(root, tree); })) {
        rootInside_ = true;
        return;
    }
    // A path below the root is the root, "/" and the rest; it lies in a
    // tree only where the tree is the root, "/" and more.
    for (const std::string& tree : trees) {
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

bool TreesBelow::contain(std::string_view path) const
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
