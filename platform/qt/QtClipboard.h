// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Clipboard.h"

namespace vacantix {

// The clipboard of the running Qt application (QGuiApplication::clipboard).
// Without a running application every attempt fails.
class QtClipboard final : public Clipboard {
public:
    bool clear() override;
    bool setText(std::string_view text) override;
};

} // namespace vacantix
