// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/ClipboardText.h"

#include <algorithm>
#include <vector>

#include "platform/Failure.h"
#include "platform/PathRoot.h"
#include "platform/Utf8.h"

namespace vacantix {

namespace {

constexpr int kClipboardAttempts = 1000;

} // namespace

std::string ResultsColumns::cell(std::size_t position, std::size_t column) const
{
    if (column != 1)
        throw MakeFailure(SubscriptOutOfRange);
    return ToNativePath(results_.text(position));
}

std::size_t CharacterCount(std::string_view text)
{
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); at += std::max<std::size_t>(Utf8SequenceLength(text, at), 1))
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
