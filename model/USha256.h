// SHA-256 (FIPS 180-4), which links each line of the audit trail to the one before it.
#pragma once

#include <string>
#include <string_view>

namespace tervanix {

// The digest of the bytes as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

} // namespace tervanix
