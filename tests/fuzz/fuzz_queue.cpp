// The queue file reader, then the recall of every entry (which merges entries sent level by level).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "intake/UFifoResult.h"

using namespace tervanix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TFifo queue;
    if (!queue.Decode(bytes)) {
        if (queue.Count() != 0) std::abort(); // a damaged file gives an empty queue
        return 0;
    }
    const std::string saved = queue.Encode();
    TFifo again;
    if (!again.Decode(saved) || again.Encode() != saved) std::abort();
    while (queue.Pop()) {
    }
    return 0;
}
