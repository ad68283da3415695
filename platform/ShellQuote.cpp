// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ShellQuote.h"

#include <cstdint>
#include <cstring>

#include "platform/Utf8.h"

namespace vacantix {

namespace {

// The length of the printable UTF-8 character at `at`, or 0 for a control
// character (C0, DEL, C1) or a byte that starts no UTF-8 character.
std::size_t PrintableLength(std::string_view text, std::size_t at)
{
    const std::size_t length = Utf8SequenceLength(text, at);
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    if (length == 1)
        return byte(0) < 0x20 || byte(0) == 0x7F ? 0 : 1;
    const bool c1 = length == 2 && byte(0) == 0xC2 && byte(1) < 0xA0;
    return c1 ? 0 : length;
}

void AppendEscaped(std::string& out, unsigned char byte)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    switch (byte) {
    case '\n': out += "\\n"; return;
    case '\t': out += "\\t"; return;
    case '\r': out += "\\r"; return;
    case '\'': out += "\\'"; return;
    case '\\': out += "\\\\"; return;
    default: break;
    }
    if (byte >= 0x20 && byte < 0x7F) {
        out.push_back(static_cast<char>(byte));
        return;
    }
    out += "\\x";
    out.push_back(hex[byte >> 4]);
    out.push_back(hex[byte & 0xF]);
}

} // namespace

bool NeedsShellQuoting(std::string_view path)
{
    // Eight bytes at a time while they are all printable ASCII other than
    // the single quote: no byte below 0x20, none from 0x7F, no quote.
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t highs = 0x8080808080808080u;
    const auto hasZeroByte = [](std::uint64_t word) { return ((word - ones) & ~word & highs) != 0; };
    std::size_t i = 0;
    for (; i + 8 <= path.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, path.data() + i, 8);
        const bool plain = (word & highs) == 0 && ((word - 0x20 * ones) & highs) == 0 &&
                           !hasZeroByte(word ^ (0x7F * ones)) && !hasZeroByte(word ^ (std::uint64_t{'\''} * ones));
        if (!plain)
            break;
    }
    for (; i < path.size();) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (byte >= 0x20 && byte < 0x7F && byte != '\'') {
            ++i;
            continue;
        }
        const std::size_t length = PrintableLength(path, i);
        if (length == 0 || byte == '\'')
            return true;
        i += length;
    }
    return false;
}

std::string ShellQuoted(std::string_view path)
{
    if (!NeedsShellQuoting(path))
        return std::string(path);
    bool hasUnprintable = false;
    for (std::size_t i = 0; i < path.size() && !hasUnprintable;) {
        const std::size_t length = PrintableLength(path, i);
        hasUnprintable = length == 0;
        i += length;
    }

    std::string out;
    if (!hasUnprintable) {
        out = "'";
        for (const char c : path)
            out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return out + "'";
    }

    // Printable runs go in '...', everything else (a single quote too) in
    // $'...'; the shell joins the pieces into one word.
    enum class Piece { None, Plain, Escaped } open = Piece::None;
    auto enter = [&](Piece piece) {
        if (open == piece)
            return;
        if (open != Piece::None)
            out += "'";
        out += piece == Piece::Plain ? "'" : "$'";
        open = piece;
    };
    for (std::size_t i = 0; i < path.size();) {
        const std::size_t length = PrintableLength(path, i);
        if (length == 0 || path[i] == '\'') {
            enter(Piece::Escaped);
            AppendEscaped(out, static_cast<unsigned char>(path[i]));
            ++i;
        } else {
            enter(Piece::Plain);
            out.append(path.substr(i, length));
            i += length;
        }
    }
    out += "'";
    return out;
}

} // namespace vacantix
