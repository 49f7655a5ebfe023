// The settings file reader: any input is read or refused with an error, never more.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/USettingsFile.h"

using namespace tervanix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TSettings settings;
    TOperatorList operators;
    try {
        DecodeSettingsFile(bytes, settings, operators);
    } catch (const EQCError&) {
        return 0;
    }
    const std::string saved = EncodeSettingsFile(settings, operators);
    TSettings settings2;
    TOperatorList operators2;
    try {
        DecodeSettingsFile(saved, settings2, operators2);
    } catch (const EQCError&) {
        std::abort();
    }
    if (EncodeSettingsFile(settings2, operators2) != saved) std::abort();
    return 0;
}
