// The bitmap loader, fed whatever bytes the fuzzer makes, called the ways the engine
// calls it: the size query and the single-level, colour-keyed texture of a billboard,
// and the default texture with its whole mip chain (fixed textures, mesh textures).
#include "d3d9/recording_device.h"
#include "d3dx9/d3dx9tex.h"
#include "fuzz_support.h"

namespace {

constexpr unsigned long long kMostPixelsTried = 256 * 256;

void checkTexture(IDirect3DTexture9* texture, const D3DXIMAGE_INFO* info) {
    D3DSURFACE_DESC desc{};
    TW_FUZZ_CHECK(SUCCEEDED(texture->GetLevelDesc(0, &desc)));
    TW_FUZZ_CHECK(desc.Width > 0 && desc.Height > 0);
    if (info != nullptr) {
        TW_FUZZ_CHECK(desc.Width == info->Width && desc.Height == info->Height);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static twfuzz::MemoryFile input("picture.bmp");
    twfuzz::silenceMessageBoxes();
    const std::string& path = input.hold(data, size);
    ComPtr<RecordingDevice> device = RecordingDevice::create(64, 64);

    D3DXIMAGE_INFO info{};
    const bool known = SUCCEEDED(D3DXGetImageInfoFromFileA(path.c_str(), &info));
    // Large pictures go through the same code as small ones, only for longer: the fuzzer
    // spends its time on variety instead (a few bytes of header can claim 8192 x 8192).
    if (known && static_cast<unsigned long long>(info.Width) * info.Height > kMostPixelsTried) {
        return 0;
    }

    ComPtr<IDirect3DTexture9> billboard;
    if (SUCCEEDED(D3DXCreateTextureFromFileExA(device.get(), path.c_str(), D3DX_DEFAULT,
                                               D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                               D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0xFF000000,
                                               nullptr, nullptr, billboard.put()))) {
        // Whatever decodes must also have answered the size query, with the same size.
        TW_FUZZ_CHECK(known);
        checkTexture(billboard.get(), &info);
        TW_FUZZ_CHECK(billboard->GetLevelCount() == 1);
    }

    ComPtr<IDirect3DTexture9> chained;
    if (SUCCEEDED(D3DXCreateTextureFromFileA(device.get(), path.c_str(), chained.put()))) {
        checkTexture(chained.get(), known ? &info : nullptr);
    }
    return 0;
}
