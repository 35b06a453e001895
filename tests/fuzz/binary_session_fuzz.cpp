// The binary session file reader, fed whatever bytes the fuzzer makes. What it read
// must come back exactly (every bit of every number, every name) after a save and a
// second open, and the saved file must have the size its counts say.
#include "files/SessionFileIO.h"
#include "fuzz_support.h"

#include <cstring>
#include <filesystem>

namespace {

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameName(const char (&a)[kNameFieldSize], const char (&b)[kNameFieldSize]) {
    return std::strncmp(a, b, kNameFieldSize) == 0;
}

bool samePoint(const LPoint_t& a, const LPoint_t& b, bool calculated) {
    return a.index == b.index && sameBits(a.x, b.x) && sameBits(a.y, b.y) &&
           (!calculated || (sameBits(a.z, b.z) && sameBits(a.pitch, b.pitch)));
}

template <class List, class Same>
bool sameLists(const List& a, const List& b, Same same) {
    if (a.size() != b.size()) {
        return false;
    }
    auto j = b.begin();
    for (auto i = a.begin(); i != a.end(); ++i, ++j) {
        if (!same(*i, *j)) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static twfuzz::MemoryFile input("velmora.sim");
    static twfuzz::ScratchFolder scratch;
    static const std::string saved = scratch.file("velmora.sim");
    twfuzz::silenceMessageBoxes();

    LSession_t first;
    TW_FUZZ_CHECK(readSessionFile(input.hold(data, size), first));
    // Every record read came from at least one byte of the file.
    TW_FUZZ_CHECK(first.meshes.size() + first.sounds.size() + first.relations.size() +
                      first.dottedPoints.size() + first.calculatedPoints.size() <=
                  size);

    TW_FUZZ_CHECK(writeSessionFile(first, saved));
    const std::uintmax_t expectedSize =
        40 + 148 * first.meshes.size() + 128 * first.sounds.size() + 384 * first.relations.size() +
        12 * first.dottedPoints.size() + 20 * first.calculatedPoints.size();
    TW_FUZZ_CHECK(std::filesystem::file_size(saved) == expectedSize);

    LSession_t second;
    TW_FUZZ_CHECK(readSessionFile(saved, second));
    TW_FUZZ_CHECK(
        sameLists(first.meshes, second.meshes, [](const SessionXfile& a, const SessionXfile& b) {
            return sameBits(a.x, b.x) && sameBits(a.y, b.y) && sameBits(a.z, b.z) &&
                   sameBits(a.yaw, b.yaw) && sameBits(a.radius, b.radius) &&
                   sameName(a.name, b.name);
        }));
    TW_FUZZ_CHECK(
        sameLists(first.sounds, second.sounds, [](const SessionSound& a, const SessionSound& b) {
            return sameName(a.name, b.name);
        }));
    TW_FUZZ_CHECK(sameLists(
        first.relations, second.relations, [](const SessionRelation& a, const SessionRelation& b) {
            return sameName(a.xfile1, b.xfile1) && sameName(a.xfile2, b.xfile2) &&
                   sameName(a.wavfile, b.wavfile);
        }));
    TW_FUZZ_CHECK(
        sameLists(first.dottedPoints, second.dottedPoints,
                  [](const LPoint_t& a, const LPoint_t& b) { return samePoint(a, b, false); }));
    TW_FUZZ_CHECK(
        sameLists(first.calculatedPoints, second.calculatedPoints,
                  [](const LPoint_t& a, const LPoint_t& b) { return samePoint(a, b, true); }));
    TW_FUZZ_CHECK(second.bitmaps.empty());
    return 0;
}
