// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/OutputWriter.h"

namespace vacantix::cli {

namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 16;

} // namespace

bool OutputWriter::write(std::string_view bytes)
{
    if (!failure_.empty())
        return false;
    buffer_.append(bytes);
    return buffer_.size() < kBufferSize || flush();
}

bool OutputWriter::flush()
{
    if (!failure_.empty())
        return false;
    if (auto failed = WriteAll(stream_, buffer_))
        failure_ = std::move(*failed);
    buffer_.clear();
    return failure_.empty();
}

} // namespace vacantix::cli
