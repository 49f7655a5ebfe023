// The version-2 import: any input appends whole analytes or fails with "Cannot read data";
// whatever it appended must save into a data file the program reads back.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/UCompatibilityMorvelle.h"
#include "model/UDataLoadSave.h"

using namespace tervanix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TListAnalytes imported;
    try {
        ImportVersion2(bytes, imported);
    } catch (const EDataFileError&) {
    }
    if (imported.Count() == 0) return 0;
    const TListSerum noMaterials;
    const std::string saved = EncodeDataFile(noMaterials, imported);
    TListSerum materials;
    TListAnalytes reread;
    try {
        DecodeDataFile(saved, materials, reread);
    } catch (const EDataFileError&) {
        std::abort();
    }
    if (reread.Count() != imported.Count()) std::abort();
    return 0;
}
