// The .x mesh loader, fed whatever bytes the fuzzer makes, and everything the engine
// then does with a mesh it has loaded: convert it to the engine's vertex format with
// new normals, measure its bounding sphere, put it on a device, draw it, lose and
// restore the device, and release it.
#include "assets/mesh/MeshObject.h"
#include "d3d9/recording_device.h"
#include "fuzz_support.h"

#include <cmath>
#include <cstdlib>
#include <new>

// Fuzzed in this process (TW_XFILE_IN_PROCESS=1, set by scripts/fuzz): when a broken
// file makes Assimp give up, its .x parser leaks what it had made so far
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

constexpr DWORD kEngineFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

void measure(ID3DXMesh* system) {
    ComPtr<IDirect3DVertexBuffer9> vertices;
    void* data = nullptr;
    if (FAILED(system->GetVertexBuffer(vertices.put())) ||
        FAILED(vertices->Lock(0, 0, &data, D3DLOCK_NOSYSLOCK))) {
        return;
    }
    D3DXVECTOR3 centre;
    float radius = 0;
    D3DXComputeBoundingSphere(static_cast<const D3DXVECTOR3*>(data), system->GetNumVertices(),
                              D3DXGetFVFVertexSize(system->GetFVF()), &centre, &radius);
    vertices->Unlock();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static twfuzz::MemoryFile input("mesh.x");
    twfuzz::silenceMessageBoxes();
    ComPtr<RecordingDevice> device = RecordingDevice::create(64, 64);

    MeshObject mesh;
    if (FAILED(mesh.create(device.get(), input.hold(data, size).c_str()))) {
        TW_FUZZ_CHECK(mesh.systemMesh() == nullptr);
        return 0;
    }
    TW_FUZZ_CHECK(mesh.systemMesh() != nullptr);
    mesh.setFVF(device.get(), kEngineFvf);
    measure(mesh.systemMesh());
    mesh.restoreDeviceObjects(device.get());
    mesh.render(device.get());
    mesh.invalidateDeviceObjects();
    mesh.restoreDeviceObjects(device.get());
    mesh.render(device.get(), false, true);
    mesh.destroy();
    return 0;
}
