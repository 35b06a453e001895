// The .x mesh loader, fed whatever bytes the fuzzer makes, and everything the engine
// then does with a mesh it has loaded: convert it to the engine's vertex format with
// new normals, measure its bounding sphere, put it on a device, draw it, lose and
// restore the device, and release it.
#include "assets/mesh/MeshObject.h"
#include "d3d9/recording_device.h"
#include "fuzz_support.h"

#include <cmath>

// When a broken file makes Assimp give up, its .x parser leaks what it had made so far
// (and zlib's stream of a compressed file cut short). Not ours to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libassimp.so\nleak:inflateInit2_\n";
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
