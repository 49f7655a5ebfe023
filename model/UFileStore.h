// Whole-file reads and atomic writes: a file is written to a temporary file in the same folder,
// flushed to the disk and renamed over the target, so a failed or interrupted save never
// destroys the previous file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tervanix {

// Throws EQCError(failureMessage) when the file cannot be written; the previous file is kept.
void WriteFileAtomic(const std::string& path, std::string_view bytes, const std::string& failureMessage);

// The file's bytes, or nothing when it cannot be read. Files larger than maxBytes are not read.
std::optional<std::string> ReadWholeFile(const std::string& path,
                                         std::uint64_t maxBytes = std::uint64_t(1) << 32);

bool FileExists(const std::string& path);

// Local date-time of the file's last modification (days since 1899-12-30), or nothing when the
// file cannot be examined.
std::optional<double> FileModified(const std::string& path);

} // namespace tervanix
