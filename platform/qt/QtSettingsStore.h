// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSettings>
#include <map>
#include <memory>
#include <string>

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

    // Hands out the same object again while QSettings still holds the same
    // text, so a long value is converted once, not at every read.
    std::shared_ptr<const std::string> getShared(std::string_view key) const override;

    // Moves on with every write. QSettings reads the file again only when
    // it writes (sync), so nothing else changes what it answers.
    [[nodiscard]] std::optional<std::uint64_t> changeCount() const override { return writes_; }

    // Where the values live, for messages and tests.
    [[nodiscard]] QString location() const;

private:
    // The text a key was last read as, and its conversion.
    struct Converted {
        QString text;
        std::shared_ptr<const std::string> value;
    };

    std::unique_ptr<QSettings> settings_;
    mutable std::map<std::string, Converted, std::less<>> converted_;
    std::uint64_t writes_ = 0;
};

} // namespace vacantix
