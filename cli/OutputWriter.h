// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace vacantix::cli {

// Writes all of `bytes` to `stream` (standard output or standard error,
// which a run writes through this alone), resuming a write that a caught
// signal interrupted, so that a signal never cuts a line short. Returns why
// a write failed; nothing when all was written. Each platform has its own
// (cli/posix/, cli/win/).
[[nodiscard]] std::optional<std::string> WriteAll(std::FILE* stream, std::string_view bytes);

// Output gathered in a buffer and written with WriteAll once the buffer is
// full and at flush(). After the first failed write nothing more is written,
// and failure() says why.
class OutputWriter {
public:
    explicit OutputWriter(std::FILE* stream) : stream_(stream) {}
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    // Adds `bytes` to the output. False once a write has failed.
    bool write(std::string_view bytes);
    // Writes out what the buffer holds. False once a write has failed.
    bool flush();
    // Why the first failed write failed, "" while none did.
    [[nodiscard]] const std::string& failure() const { return failure_; }

private:
    std::FILE* stream_;
    std::string buffer_;
    std::string failure_;
};

} // namespace vacantix::cli
