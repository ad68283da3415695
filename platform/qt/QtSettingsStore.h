// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSettings>
#include <memory>

#include "platform/SettingsStore.h"

namespace vacantix {

// The platform's per-user settings (organisation "Quillmark", group
// "Vacantix"): an INI file under the user's configuration folder on Linux,
// the registry on Windows. Every write is flushed at once.
class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore();

    // Every stored value is read as text: one that the file spells as a list
    // (an unquoted comma, from an edit outside the program) comes back as its
    // items joined by ", ", so `Text1=Cache, keep` reads "Cache, keep".
    std::optional<std::string> get(std::string_view key) const override;
    void set(std::string_view key, std::string_view value) override;

    // Where the values live, for messages and tests.
    [[nodiscard]] QString location() const;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace vacantix
