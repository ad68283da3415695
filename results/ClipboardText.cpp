// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/ClipboardText.h"

#include <algorithm>
#include <vector>

#include "platform/Failure.h"

namespace vacantix {

namespace {

constexpr int kClipboardAttempts = 1000;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the UTF-8 sequence starting at `at`, or 1 when none starts there.
std::size_t sequenceLength(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (at + length > text.size())
        return 1;
    for (std::size_t i = 1; i < length; ++i)
        if (!isContinuation(static_cast<unsigned char>(text[at + i])))
            return 1;
    return length;
}

} // namespace

std::string ResultsColumns::cell(std::size_t position, std::size_t column) const
{
    if (column != 1)
        throw MakeFailure(SubscriptOutOfRange);
    return results_.text(position);
}

std::size_t CharacterCount(std::string_view text)
{
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); at += sequenceLength(text, at))
        ++characters;
    return characters;
}

std::string ClipboardText(const ColumnList& list, const std::function<void()>& yield)
{
    const std::size_t columns = list.columns();
    const std::size_t entries = list.count();
    std::vector<std::size_t> widths(columns, 0);
    for (std::size_t column = 1; column <= columns; ++column) {
        for (std::size_t position = 1; position <= entries; ++position) {
            yield();
            widths[column - 1] = std::max(widths[column - 1], CharacterCount(list.cell(position, column)));
        }
    }

    std::string text;
    for (std::size_t position = 1; position <= entries; ++position) {
        yield();
        if (!list.checked(position))
            continue;
        for (std::size_t column = 1; column <= columns; ++column) {
            yield();
            const std::string cell = list.cell(position, column);
            text += cell;
            const std::size_t length = CharacterCount(cell);
            if (length < widths[column - 1])
                text.append(widths[column - 1] - length, ' ');
            text += '\t';
        }
        text.pop_back();
        // Only this line can end in spaces: every earlier one ends in CR LF.
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        text += "\r\n";
    }
    return text;
}

void ClearClipboard(Clipboard& clipboard)
{
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt)
        if (clipboard.clear())
            return;
}

void SetClipboardText(Clipboard& clipboard, std::string_view text)
{
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt)
        if (clipboard.setText(text))
            return;
}

void CopyListToClipboard(const ColumnList& list, Clipboard& clipboard, const std::function<void()>& yield)
{
    if (list.count() == 0)
        return;
    const std::string text = ClipboardText(list, yield);
    ClearClipboard(clipboard);
    SetClipboardText(clipboard, text);
}

} // namespace vacantix
