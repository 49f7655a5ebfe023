// The quality goals reader: any input is read or refused with an error, never more; what it reads
// is written and read back the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/UQualityGoals.h"

using namespace tervanix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TQualityGoals goals;
    try {
        goals = DecodeGoalsFile(text);
    } catch (const EQCError&) {
        return 0;
    }
    const std::string saved = EncodeGoalsFile(goals);
    TQualityGoals again;
    try {
        again = DecodeGoalsFile(saved);
    } catch (const EQCError&) {
        std::abort();
    }
    if (EncodeGoalsFile(again) != saved) std::abort();
    return 0;
}
