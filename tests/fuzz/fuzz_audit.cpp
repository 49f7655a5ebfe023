// The audit trail reader: every line decoded and encoded again, and the chain checked.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/UAuditTrail.h"

using namespace tervanix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TAuditCheck check = VerifyAuditText(text);
    if (check.FirstBroken < 0 || check.FirstBroken > check.Entries) std::abort();
    const std::string_view line = text.substr(0, text.find('\n'));
    if (const auto entry = DecodeAuditLine(line)) {
        // What the reader takes from a line, the writer writes back the same.
        const std::string again = EncodeAuditLine(*entry);
        const auto reread = DecodeAuditLine(again);
        if (!reread || EncodeAuditLine(*reread) != again) std::abort();
    }
    return 0;
}
