// The archive file reader: any input is read or refused, never more; what it reads is written back
// as the same lines.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "model/UArchive.h"

using namespace tervanix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto archive = ParseArchive(bytes);
    if (!archive) return 0;
    std::string again = archive->Analyte + "\r\n" + archive->Unit + "\r\n" + archive->SummaryLine() + "\r\n";
    for (const TArchivePoint& p : archive->Points) again += p.Line() + "\r\n";
    const auto reread = ParseArchive(again);
    if (!reread || reread->SummaryLine() != archive->SummaryLine() || reread->Points.size() != archive->Points.size())
        std::abort();
    return 0;
}
