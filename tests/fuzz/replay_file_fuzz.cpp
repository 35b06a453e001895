// The replay file reader, fed whatever bytes the fuzzer makes. Beyond not crashing,
// what it accepts must be written back as a text that reads as the same drive: the
// text written from the first reading is a fixed point of read-then-write.
#include "files/ReplayFile.h"
#include "fuzz_support.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ReplayRead first =
        parseReplay(std::string_view(reinterpret_cast<const char*>(data), size));
    TW_FUZZ_CHECK(first.replay.has_value() != !first.error.empty());
    if (!first.replay) {
        return 0;
    }
    const std::string written = replayText(*first.replay);
    const ReplayRead second = parseReplay(written);
    TW_FUZZ_CHECK(second.replay.has_value());
    TW_FUZZ_CHECK(replayText(*second.replay) == written);
    return 0;
}
