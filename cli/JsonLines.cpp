// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/JsonLines.h"

#include <algorithm>
#include <cstdio>

#include "platform/PathRoot.h"
#include "platform/Utf8.h"

namespace vacantix::cli {

std::string JsonString(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text = "\"";
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes, at);
        if (length == 0) {
            text += "\xEF\xBF\xBD"; // U+FFFD
            ++at;
            continue;
        }
        if (length > 1) {
            text.append(bytes.substr(at, length));
            at += length;
            continue;
        }
        const auto byte = static_cast<unsigned char>(bytes[at++]);
        switch (byte) {
        case '"': text += "\\\""; break;
        case '\\': text += "\\\\"; break;
        case '\b': text += "\\b"; break;
        case '\f': text += "\\f"; break;
        case '\n': text += "\\n"; break;
        case '\r': text += "\\r"; break;
        case '\t': text += "\\t"; break;
        default:
            if (byte < 0x20) {
                text += "\\u00";
                text.push_back(kHex[byte >> 4]);
                text.push_back(kHex[byte & 0xF]);
            } else {
                text.push_back(static_cast<char>(byte));
            }
        }
    }
    text.push_back('"');
    return text;
}

std::string Base64(std::string_view bytes)
{
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t left = std::min<std::size_t>(3, bytes.size() - at);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k)
            group = (group << 8) | (k < left ? static_cast<unsigned char>(bytes[at + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            text.push_back(k <= left ? kDigits[(group >> (18 - 6 * k)) & 0x3F] : '=');
    }
    return text;
}

std::string JsonPathMembers(std::string_view path)
{
    std::string members = "\"path\": " + JsonString(path);
    if (!IsValidUtf8(path))
        members += ", \"path_b64\": \"" + Base64(path) + "\"";
    return members;
}

std::optional<std::size_t> DepthBelow(std::string_view path, const std::vector<std::string>& roots)
{
    std::optional<std::size_t> depth;
    std::size_t longest = 0;
    for (std::string_view root : roots) {
        while (root.size() > std::max<std::size_t>(RootLength(root), 1) && root.back() == '/')
            root.remove_suffix(1);
        std::string_view rest;
        if (path == root) {
            rest = {};
        } else if (root.ends_with('/') && path.starts_with(root)) { // a root: "/", "C:/"
            rest = path.substr(root.size());
        } else if (path.starts_with(root) && path.size() > root.size() && path[root.size()] == '/') {
            rest = path.substr(root.size() + 1);
        } else {
            continue;
        }
        if (depth && root.size() <= longest)
            continue;
        longest = root.size();
        depth = rest.empty() ? 0 : 1 + static_cast<std::size_t>(std::count(rest.begin(), rest.end(), '/'));
    }
    return depth;
}

namespace {

void WriteLine(OutputWriter& out, const std::string& line)
{
    out.write(line);
    out.write("\n");
}

// "path" (and "path_b64") and "depth" of one folder, without braces.
std::string FolderMembers(const std::string& path, const std::vector<std::string>& roots)
{
    std::string members = JsonPathMembers(ToNativePath(path));
    if (const auto depth = DepthBelow(path, roots))
        members += ", \"depth\": " + std::to_string(*depth);
    return members;
}

std::string_view OutcomeName(DeletionOutcome outcome, bool directly)
{
    switch (outcome) {
    case DeletionOutcome::Sent: return directly ? "deleted" : "sent";
    case DeletionOutcome::AlreadyGone: return "already gone";
    case DeletionOutcome::Kept: return "kept";
    case DeletionOutcome::Failed: break;
    }
    return "failed";
}

} // namespace

void PrintJsonResults(const ResultsList& results, OutputWriter& out, const std::vector<std::string>& roots,
                      const std::function<bool()>& stop)
{
    for (std::size_t i = 1; i <= results.count() && !stop(); ++i)
        WriteLine(out, "{" + FolderMembers(results.text(i), roots) + "}");
}

void PrintJsonOutcomes(const DeletionSummary& summary, OutputWriter& out, const std::vector<std::string>& roots,
                       bool directly, bool dryRun)
{
    for (const DeletionRecord& record : summary.records) {
        std::string line = "{" + FolderMembers(record.path, roots) + ", \"outcome\": " +
                           JsonString(OutcomeName(record.result.outcome, directly));
        if (!record.result.reason.empty())
            line += ", \"reason\": " + JsonString(record.result.reason);
        if (dryRun)
            line += ", \"dry_run\": true";
        WriteLine(out, line + "}");
    }
}

void PrintJsonSummary(const JsonSummary& run, OutputWriter& out)
{
    std::string line = "{\"summary\": {\"found\": " + std::to_string(run.found);
    if (run.deletion) {
        for (DeletionOutcome outcome : {DeletionOutcome::Sent, DeletionOutcome::AlreadyGone, DeletionOutcome::Kept,
                                        DeletionOutcome::Failed})
            line += ", " + JsonString(OutcomeName(outcome, run.directly)) + ": " +
                    std::to_string(run.deletion->count(outcome));
    }
    if (run.stopped)
        line += ", \"stopped\": true";
    if (run.deletion && run.dryRun)
        line += ", \"dry_run\": true";
    line += ", \"unreadable\": {\"count\": " + std::to_string(run.unreadable.size()) + ", \"folders\": [";
    for (std::size_t i = 0; i < run.unreadable.size(); ++i)
        line += (i == 0 ? "{" : ", {") + JsonPathMembers(ToNativePath(run.unreadable[i])) + "}";
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", run.seconds);
    line += std::string("]}, \"duration_seconds\": ") + seconds + "}}";
    WriteLine(out, line);
}

} // namespace vacantix::cli
