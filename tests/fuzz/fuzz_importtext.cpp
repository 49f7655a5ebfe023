// The import text reader under two locales (numeric and month-name dates), then the adding of what
// it read to a three-level analyte.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/UFormat.h"
#include "model/UImportText.h"

using namespace tervanix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TLocaleFormats formats;
    for (const char* pattern : {"dd/MM/yyyy", "d MMM yy"}) {
        formats.ShortDateFormat = pattern;
        formats.DecimalSeparator = pattern[0] == 'd' && pattern[1] == 'd' ? '.' : ',';
        SetLocale(formats);
        (void)IsImportText(bytes);
        const std::vector<TImportRun> runs = ParseImportText(bytes);
        for (const TImportRun& run : runs) {
            bool anyValue = false;
            for (const TLevelResult& level : run.Levels) {
                if (level.Status != qsNoValue && !std::isfinite(level.Value)) std::abort();
                anyValue = anyValue || level.Status != qsNoValue;
            }
            if (!anyValue) std::abort(); // a run without value is never read
            (void)ImportDisplayFields(run, 2);
        }
        TAnalyte analyte("Fuzz", "u", 2, 3, false);
        if (AddImportedRuns(analyte, runs) != static_cast<int>(runs.size()) || analyte.Count() != static_cast<int>(runs.size()))
            std::abort();
    }
    return 0;
}
