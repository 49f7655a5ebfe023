// The data file reader: any input is either read whole or refused with "Cannot read data".
// A file that is read must save and read back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/UDataLoadSave.h"

using namespace tervanix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TListSerum materials;
    TListAnalytes analytes;
    try {
        DecodeDataFile(bytes, materials, analytes);
    } catch (const EDataFileError&) {
        return 0;
    }
    const std::string saved = EncodeDataFile(materials, analytes);
    TListSerum materials2;
    TListAnalytes analytes2;
    try {
        DecodeDataFile(saved, materials2, analytes2);
    } catch (const EDataFileError&) {
        std::abort(); // a file the program reads must never save into one it cannot read
    }
    if (EncodeDataFile(materials2, analytes2) != saved) std::abort();
    return 0;
}
