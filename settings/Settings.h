// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/SettingsStore.h"
#include "settings/ScanExtras.h"

namespace vacantix {

// The option keys, spelled as stored.
inline constexpr std::string_view kCheck1 = "Check1"; // files of 0 bytes count as empty
inline constexpr std::string_view kCheck2 = "Check2"; // skip system directories
inline constexpr std::string_view kCheck3 = "Check3"; // ignore hidden folders
inline constexpr std::string_view kCombo1 = "Combo1"; // delete mode: 0 trash, 1 directly
inline constexpr std::string_view kText1 = "Text1";   // names to ignore, CR LF separated

// Where deleted folders go.
enum class DeleteMode : std::uint8_t {
    Trash,    // the user's trash
    Directly, // removed for good, and only what is empty
};

// The three check boxes of the settings window, by what they mean.
enum class Option : std::uint8_t { ZeroByteFilesCountAsEmpty, SkipSystemFolders, IgnoreHiddenFolders };

// The key an option is stored under: "Check1", "Check2", "Check3".
[[nodiscard]] std::string_view KeyOf(Option option);

// The ignore list when "Text1" has never been written.
inline constexpr std::string_view kDefaultIgnoreList =
    "System Volume Information\r\nRECYCLER\r\nRecycled\r\nNtUninstall\r\n$RECYCLE.BIN";

// Converts an option text to a signed 16-bit whole number as the program
// reads it: blanks around it are allowed, a fraction rounds half to even.
// Throws Failure: Type mismatch (13) for text that is no number, Overflow (6)
// outside -32768..32767.
[[nodiscard]] std::int16_t ToInt16(std::string_view text);

// Hashes text of any string type alike, so that a set of strings can be
// asked about a string_view without making a string of it.
struct TextHash {
    using is_transparent = void;
    [[nodiscard]] std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// The ignore list in the form it is matched in, parsed from one stored text.
struct IgnoreList {
    // The non-empty entries, lower-cased, in list order.
    std::vector<std::string> entries;
    // The same entries as a set, so that matching a name is one lookup
    // however long the list is.
    std::unordered_set<std::string, TextHash, std::equal_to<>> names;
    // The entries that hold a "/", which only a whole path can equal, in
    // list order.
    std::vector<std::string> paths;
    // The byte lengths of the entries; the last bit stands for every length
    // beyond the others.
    std::bitset<257> lengths;

    // True when `text` (a name, or a whole path) equals an entry, ignoring
    // case. Text of ASCII only keeps its length when lower-cased, so it is
    // lower-cased only when an entry is as long.
    [[nodiscard]] bool matches(std::string_view text) const;
};

// Reads the five options from a store at the moment they are needed. What a
// read made of a value (its number, or why it is none; the parsed ignore
// list) is kept for as long as the store's change count stays the same, so
// a walk asking at every folder pays one compare while nothing changes and
// sees a change from its next read on. With a store that keeps no count,
// every read asks the store, and the ignore list is parsed again only when
// its text differs from the one the kept form was parsed from.

class Settings {
public:
    explicit Settings(SettingsStore& store) : store_(store) {}

    // What the options mean, each by its own rule. Every read converts the
    // stored text (or the default) and throws the conversion's Failure when
    // it is no 16-bit number.
    //
    // "Check1" is 1: a folder whose regular files hold 0 bytes in all counts
    // as empty.
    [[nodiscard]] bool zeroByteFilesCountAsEmpty() const { return readNumber(Check1) == 1; }
    // "Check2" is not 0: folders inside the system trees are not offered.
    [[nodiscard]] bool skipSystemFolders() const { return readNumber(Check2) != 0; }
    // "Check3" is 1: a hidden folder without files is not offered.
    [[nodiscard]] bool ignoreHiddenFolders() const { return readNumber(Check3) == 1; }
    // "Combo1" is 1: Directly; any other number: the trash.
    [[nodiscard]] DeleteMode deleteMode() const
    {
        return readNumber(Combo1) == 1 ? DeleteMode::Directly : DeleteMode::Trash;
    }

    // The options as the settings window shows them, converted alike: the
    // stored state of an option's check box (0 unchecked, 1 checked, 2
    // grayed; the window refuses any other number), and the list position of
    // the delete mode (0 the trash, 1 directly, -1 none).
    [[nodiscard]] std::int16_t checkBoxState(Option option) const;
    [[nodiscard]] std::int16_t deleteModePosition() const { return readNumber(Combo1); }

    // The ignore list as stored; the default only while the key is absent.
    [[nodiscard]] std::string text1() const;

    // The ignore list as stored now. Entries are separated by CR LF exactly;
    // a lone CR or LF belongs to its entry. The reference stays valid until
    // the next call.
    [[nodiscard]] const IgnoreList& ignoreList() const;

    // The non-empty entries of the ignore list, lower-cased, in list order.
    [[nodiscard]] const std::vector<std::string>& ignoreEntries() const { return ignoreList().entries; }

    // How many times a stored ignore list text has been parsed so far.
    [[nodiscard]] std::size_t ignoreListParses() const { return parses_; }

    // Stores a value; the next read anywhere sees it.
    void write(std::string_view key, std::string_view value) { store_.set(key, value); }

    [[nodiscard]] SettingsStore& store() const { return store_; }

    // The command line's extra choices for this run, or null (the window),
    // carried with the options so that every walk of the run reads the same
    // ones. The extras must outlive every use of these settings.
    [[nodiscard]] const ScanExtras* extras() const { return extras_; }
    void setExtras(const ScanExtras* extras) { extras_ = extras; }

private:
    // The four numeric options, by where they are kept.
    enum Number : std::uint8_t { Check1, Check2, Check3, Combo1, NumberCount };
    // What one read of a number gave: its value, or what it threw.
    struct Read {
        std::int16_t value = 0;
        std::exception_ptr failure;
    };

    [[nodiscard]] std::int16_t readNumber(Number number) const;
    // True when the store's change count is the one the kept reads were
    // made at; otherwise forgets them and answers whether new ones may be kept.
    [[nodiscard]] bool keptReadsCurrent() const;
    [[nodiscard]] static std::shared_ptr<const std::string> defaultIgnoreList();

    SettingsStore& store_;
    const ScanExtras* extras_ = nullptr;

    mutable std::optional<std::uint64_t> readsAt_; // the change count the kept reads were made at
    mutable std::array<std::optional<Read>, NumberCount> numbers_;
    mutable bool ignoreListCurrent_ = false;
    mutable std::shared_ptr<const std::string> parsedFrom_; // the text ignoreList_ was parsed from
    mutable std::size_t parses_ = 0;
    mutable IgnoreList ignoreList_;
};

// The Unicode lower-case mapping of UTF-8 text, whatever the user's
// language: "I" becomes "i"; on Linux, the full mapping of the root locale,
// U+0130 (capital I with dot above) becomes "i" plus U+0307, while Windows
// maps one character for one (see UnicodeLowerCase). The length may change.
// Text that is not well-formed UTF-8 is returned byte for byte, so it
// equals only itself.
[[nodiscard]] std::string LowerCase(std::string_view text);

} // namespace vacantix
