// The XML simulation file reader, fed whatever bytes the fuzzer makes. Beyond not
// crashing, what it read must survive a save and a second open unchanged: the file
// written from the first reading is a fixed point of write-then-read.
#include "files/SimulationFile.h"
#include "fuzz_support.h"

#include <fstream>
#include <iterator>

namespace {

std::string contentsOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

template <class List>
bool sameCount(const List& a, const List& b) {
    return a.size() == b.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static twfuzz::MemoryFile input("scene.xml");
    static twfuzz::ScratchFolder scratch;
    static const std::string saved = scratch.file("saved.xml");
    static const std::string savedAgain = scratch.file("saved-again.xml");
    twfuzz::silenceMessageBoxes();

    LSession_t first;
    readSimulationFile(input.hold(data, size), first);

    TW_FUZZ_CHECK(writeSimulationFile(first, saved));
    LSession_t second;
    TW_FUZZ_CHECK(readSimulationFile(saved, second));
    TW_FUZZ_CHECK(sameCount(first.meshes, second.meshes));
    TW_FUZZ_CHECK(sameCount(first.bitmaps, second.bitmaps));
    TW_FUZZ_CHECK(sameCount(first.sounds, second.sounds));
    TW_FUZZ_CHECK(sameCount(first.relations, second.relations));
    TW_FUZZ_CHECK(sameCount(first.dottedPoints, second.dottedPoints));
    TW_FUZZ_CHECK(sameCount(first.calculatedPoints, second.calculatedPoints));

    TW_FUZZ_CHECK(writeSimulationFile(second, savedAgain));
    TW_FUZZ_CHECK(contentsOf(saved) == contentsOf(savedAgain));
    return 0;
}
