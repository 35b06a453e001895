// The mesh loader, fed whatever bytes the fuzzer makes as a file of one format (built
// once per format, TW_FUZZ_MESH_EXTENSION naming it; none for .x), and everything the
// engine then does with a mesh it has loaded, the way a course loads it: convert it to the
// engine's vertex format with new normals, measure its bounding sphere, put it on a
// device, place it twice (the second placement shares the first's load), draw both, lose
// and restore the device, and release it.
#include "assets/mesh/SharedMeshes.h"
#include "d3d9/recording_device.h"
#include "fuzz_support.h"

#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

// Fuzzed in this process (TW_MESH_PARSE_IN_PROCESS=1, set by scripts/fuzz): when a broken
// file makes Assimp give up, its parsers leak what it had made so far
// (and zlib's stream of a compressed file cut short). Not ours to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libassimp.so\nleak:inflateInit2_\n";
}

// Assimp's .x parser sizes its arrays by the counts in the file before it reads a single
// element, so a file of a few bytes can ask for gigabytes; the allocation fails, Assimp
// catches the std::bad_alloc and the load fails (a fault of Assimp, see
// docs/reliability.md). AddressSanitizer's operator new would end the process instead;
// this one behaves as the ordinary one does (the allocator answers null for requests
// above max_allocation_size_mb, which scripts/fuzz sets).
void* operator new(std::size_t size) {
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

#ifdef TW_FUZZ_MESH_EXTENSION
// The loader chooses a reader by the name's extension: the memory file is reached through
// a link of that name, in a folder of its own that goes with the program.
class NamedLink {
public:
    explicit NamedLink(const std::string& target) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tw-fuzz-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
        path_ = (folder_ / ("mesh" TW_FUZZ_MESH_EXTENSION)).string();
        std::filesystem::create_symlink(target, path_);
    }
    ~NamedLink() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    NamedLink(const NamedLink&) = delete;
    NamedLink& operator=(const NamedLink&) = delete;
    const std::string& path() const { return path_; }

private:
    std::filesystem::path folder_;
    std::string path_;
};
#endif

// The path the loader is given for this input.
const std::string& hold(const std::uint8_t* data, std::size_t size) {
    static twfuzz::MemoryFile input("mesh");
    const std::string& path = input.hold(data, size);
#ifdef TW_FUZZ_MESH_EXTENSION
    static const NamedLink link(path);
    return link.path();
#else
    return path;
#endif
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    twfuzz::silenceMessageBoxes();
    ComPtr<RecordingDevice> device = RecordingDevice::create(64, 64);

    SharedMeshes meshes;
    const std::string& path = hold(data, size);
    const SharedMeshes::Loaded first = meshes.acquire(device.get(), path);
    if (!first.mesh) {
        return 0;
    }
    TW_FUZZ_CHECK(first.mesh->systemMesh() != nullptr);
    const SharedMeshes::Loaded second = meshes.acquire(device.get(), path);
    TW_FUZZ_CHECK(second.mesh == first.mesh);

    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 3, 0, 0);
    first.mesh->render(device.get());
    device->SetTransform(D3DTS_WORLD, &world);
    second.mesh->render(device.get());
    meshes.invalidateDeviceObjects();
    TW_FUZZ_CHECK(first.mesh->localMesh() == nullptr);
    TW_FUZZ_CHECK(SUCCEEDED(meshes.restoreDeviceObjects(device.get())));
    first.mesh->render(device.get(), false, true);
    meshes.destroy();
    TW_FUZZ_CHECK(second.mesh->systemMesh() == nullptr);
    return 0;
}
