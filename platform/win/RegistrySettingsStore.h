// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/SettingsStore.h"

namespace vacantix {

// The per-user settings in the registry, under HKEY_CURRENT_USER, one REG_SZ
// value per key, where the window's settings live on Windows too (so the
// window and the command line share them). Texts are kept as UTF-16 and read
// back as UTF-8. Every write is flushed to disk (RegFlushKey) before set()
// returns.
class RegistrySettingsStore final : public SettingsStore {
public:
    // The key below HKEY_CURRENT_USER where the program keeps its values.
    static constexpr const char* kDefaultKey = "Software\\Quillmark\\Vacantix\\Vacantix";

    RegistrySettingsStore() : RegistrySettingsStore(kDefaultKey) {}
    // Keeps the values under `keyPath` below HKEY_CURRENT_USER instead.
    explicit RegistrySettingsStore(std::string keyPath) : keyPath_(std::move(keyPath)) {}

    std::optional<std::string> get(std::string_view key) const override;
    void set(std::string_view key, std::string_view value) override;

    // Where the values live, for messages and tests.
    [[nodiscard]] std::string location() const { return "HKEY_CURRENT_USER\\" + keyPath_; }

private:
    std::string keyPath_;
};

} // namespace vacantix
