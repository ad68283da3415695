// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vacantix {

// The per-user store of option texts, addressed by key within the program's
// own application and section. Every read sees the latest write.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored text, or nothing when the key has never been written.
    virtual std::optional<std::string> get(std::string_view key) const = 0;

    // Creates or overwrites the key; the value is durable when this returns.
    virtual void set(std::string_view key, std::string_view value) = 0;

    // The stored text as a shared object that never changes, or null when the
    // key has never been written. A store may hand out the same object again
    // for as long as the value stays the same, so that a reader keeping
    // something derived from a long value can tell it is still current by the
    // pointer alone; a different object may still hold the same text.
    virtual std::shared_ptr<const std::string> getShared(std::string_view key) const
    {
        auto value = get(key);
        return value ? std::make_shared<const std::string>(std::move(*value)) : nullptr;
    }

    // A count that moves on whenever a value get() answers may have
    // changed, so that a reader may keep what it made of the values for as
    // long as the count stays the same: one compare instead of a read. Unset
    // for a store that cannot tell (one other programs may change under
    // it): its readers read every time.
    [[nodiscard]] virtual std::optional<std::uint64_t> changeCount() const { return std::nullopt; }
};

// Two change counts as one, unset when either is: it moves on whenever
// either moves on, since both only ever grow.
[[nodiscard]] inline std::optional<std::uint64_t> CombinedChangeCount(std::optional<std::uint64_t> a,
                                                                      std::optional<std::uint64_t> b)
{
    if (!a || !b)
        return std::nullopt;
    return *a + *b;
}

// A store that lives in memory only: for tests and for one-off runs.
class MemorySettingsStore final : public SettingsStore {
public:
    std::optional<std::string> get(std::string_view key) const override
    {
        const auto it = values_.find(key);
        if (it == values_.end())
            return std::nullopt;
        return *it->second;
    }

    void set(std::string_view key, std::string_view value) override
    {
        values_.insert_or_assign(std::string(key), std::make_shared<const std::string>(value));
        ++writes_;
    }

    std::shared_ptr<const std::string> getShared(std::string_view key) const override
    {
        const auto it = values_.find(key);
        return it == values_.end() ? nullptr : it->second;
    }

    [[nodiscard]] std::optional<std::uint64_t> changeCount() const override { return writes_; }

private:
    std::map<std::string, std::shared_ptr<const std::string>, std::less<>> values_;
    std::uint64_t writes_ = 0;
};

// Reads from a base store but answers some keys from fixed values instead;
// writes go to the base. Lets a command line override options for one run.
class OverlaySettingsStore final : public SettingsStore {
public:
    explicit OverlaySettingsStore(SettingsStore& base) : base_(base) {}

    void override(std::string_view key, std::string_view value)
    {
        overrides_.insert_or_assign(std::string(key), std::make_shared<const std::string>(value));
        ++overridesWritten_;
    }

    std::optional<std::string> get(std::string_view key) const override
    {
        const auto it = overrides_.find(key);
        if (it != overrides_.end())
            return *it->second;
        return base_.get(key);
    }

    void set(std::string_view key, std::string_view value) override { base_.set(key, value); }

    std::shared_ptr<const std::string> getShared(std::string_view key) const override
    {
        const auto it = overrides_.find(key);
        return it != overrides_.end() ? it->second : base_.getShared(key);
    }

    [[nodiscard]] std::optional<std::uint64_t> changeCount() const override
    {
        return CombinedChangeCount(base_.changeCount(), overridesWritten_);
    }

private:
    SettingsStore& base_;
    std::map<std::string, std::shared_ptr<const std::string>, std::less<>> overrides_;
    std::uint64_t overridesWritten_ = 0;
};

} // namespace vacantix
