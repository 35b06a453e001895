// Reference counting, vertex formats and the memory-backed resources.
#include "d3d9/d3d9.h"
#include "d3d9/d3d9names.h"
#include "d3d9/memory_resources.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Counts how many probes exist and how often one was destroyed.
struct Probe : IUnknown {
    static inline int alive = 0;
    static inline int destroyed = 0;
    Probe() { ++alive; }
    ~Probe() override {
        --alive;
        ++destroyed;
    }
};

struct DerivedProbe : Probe {};

class ComPtrTest : public ::testing::Test {
protected:
    void SetUp() override { Probe::alive = Probe::destroyed = 0; }
};
// Suites carry the module's name so that `ctest -R d3d9` selects them.
using d3d9ComPtr = ComPtrTest;

TEST_F(d3d9ComPtr, CopiesAndMovesDestroyTheObjectExactlyOnce) {
    {
        ComPtr<Probe> a = makeCom<Probe>();
        ComPtr<Probe> b = a;            // copy shares
        ComPtr<Probe> c = std::move(a); // move leaves a empty
        EXPECT_FALSE(a);
        const ComPtr<Probe>& same = b; // through a reference, as self-assignment happens
        b = same;                      // self-assignment keeps the reference
        c = b;
        ComPtr<Probe> d;
        d = std::move(c);
        b.reset();
        EXPECT_EQ(Probe::alive, 1);
        EXPECT_EQ(Probe::destroyed, 0);
    }
    EXPECT_EQ(Probe::alive, 0);
    EXPECT_EQ(Probe::destroyed, 1);
}

TEST_F(d3d9ComPtr, SharingARawPointerTakesAReferenceAndAdoptingDoesNot) {
    ComPtr<Probe> owner = makeCom<Probe>();
    {
        ComPtr<Probe> shared(owner.get());
        EXPECT_EQ(owner->AddRef(), 3u);
        EXPECT_EQ(owner->Release(), 2u);
    }
    Probe* raw = owner.detach(); // still carries the first reference
    EXPECT_EQ(Probe::alive, 1);
    ComPtr<Probe> adopted = ComPtr<Probe>::adopt(raw);
    adopted.reset();
    EXPECT_EQ(Probe::alive, 0);
    EXPECT_EQ(Probe::destroyed, 1);
}

TEST_F(d3d9ComPtr, PutReleasesTheOldObjectBeforeTheCalleeWrites) {
    ComPtr<Probe> holder = makeCom<Probe>();
    Probe** slot = holder.put();
    EXPECT_EQ(Probe::alive, 0);
    EXPECT_EQ(*slot, nullptr);
    *slot = makeCom<Probe>().detach(); // what a Create... call does
    EXPECT_EQ(Probe::alive, 1);
    holder = nullptr;
    EXPECT_EQ(Probe::alive, 0);
    EXPECT_EQ(Probe::destroyed, 2);
}

TEST_F(d3d9ComPtr, ConvertsToBaseAndCastsBack) {
    ComPtr<DerivedProbe> derived = makeCom<DerivedProbe>();
    ComPtr<IUnknown> base = derived;
    EXPECT_EQ(derived->AddRef(), 3u);
    derived->Release();
    ComPtr<DerivedProbe> back = comCast<DerivedProbe>(base);
    EXPECT_EQ(back.get(), derived.get());
    EXPECT_FALSE(comCast<MemoryTexture>(base));
    derived.reset();
    base.reset();
    back.reset();
    EXPECT_EQ(Probe::alive, 0);
}

TEST(d3d9VertexFormat, SizesOfTheFormatsTheProgramUses) {
    EXPECT_EQ(fvfVertexSize(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1), 32u);     // strips, sky
    EXPECT_EQ(fvfVertexSize(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1), 24u);    // billboards
    EXPECT_EQ(fvfVertexSize(D3DFVF_XYZ | D3DFVF_DIFFUSE), 16u);                  // field fans
    EXPECT_EQ(fvfVertexSize(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1), 28u); // sprites
    EXPECT_EQ(fvfVertexSize(D3DFVF_XYZ | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(1)), 12u + 8 + 12);
    EXPECT_EQ(fvfVertexSize(D3DFVF_XYZB2 | D3DFVF_SPECULAR), 24u);
    EXPECT_EQ(fvfVertexSize(D3DFVF_NORMAL | D3DFVF_TEX1), 0u); // no position
}

TEST(d3d9VertexFormat, PrimitiveVertexCounts) {
    EXPECT_EQ(primitiveVertexCount(D3DPT_TRIANGLELIST, 2), 6u);
    EXPECT_EQ(primitiveVertexCount(D3DPT_TRIANGLESTRIP, 2), 4u);
    EXPECT_EQ(primitiveVertexCount(D3DPT_TRIANGLEFAN, 3), 5u);
    EXPECT_EQ(primitiveVertexCount(D3DPT_LINESTRIP, 3), 4u);
    EXPECT_EQ(primitiveVertexCount(static_cast<D3DPRIMITIVETYPE>(9), 3), 0u);
}

TEST(d3d9Names, RenderStateTableIsOrderedForItsLookup) {
    const auto table = renderStateTable();
    for (std::size_t i = 1; i < table.size(); ++i) {
        EXPECT_LT(table[i - 1].state, table[i].state) << table[i].name;
    }
    for (const RenderStateInfo& info : table) {
        EXPECT_EQ(findRenderState(info.state), &info);
    }
    EXPECT_EQ(findRenderState(138), nullptr); // a gap between LIGHTING and AMBIENT
    EXPECT_EQ(renderStateText(300), "D3DRS_(300)");
    EXPECT_EQ(clearFlagsText(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | 0x40),
              "D3DCLEAR_TARGET|D3DCLEAR_ZBUFFER|0x40");
}

TEST(d3d9VertexBuffer, LockChecksTheRangeAgainstTheLength) {
    MemoryVertexBuffer buffer(64, D3DUSAGE_WRITEONLY, D3DFVF_XYZ, D3DPOOL_MANAGED);
    void* data = nullptr;
    ASSERT_EQ(buffer.Lock(60, 4, &data, 0), D3D_OK);
    EXPECT_EQ(data, buffer.bytes().data() + 60);
    EXPECT_EQ(buffer.Unlock(), D3D_OK);

    EXPECT_EQ(buffer.Lock(60, 8, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(buffer.Lock(64, 0, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer.Lock(16, 0xFFFFFFF8u, &data, 0), D3DERR_INVALIDCALL); // no wrap-around
    EXPECT_EQ(buffer.Lock(0, 4, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_FALSE(buffer.isLocked());
    EXPECT_EQ(buffer.Unlock(), D3DERR_INVALIDCALL);

    ASSERT_EQ(buffer.Lock(16, 0, &data, 0), D3D_OK); // size 0: to the end
    std::memset(data, 0xAB, 48);
    buffer.Unlock();
    EXPECT_EQ(buffer.bytes()[15], 0);
    EXPECT_EQ(buffer.bytes()[63], 0xAB);
}

TEST(d3d9VertexBuffer, VersionMovesOnlyWhenTheLastWritingLockIsReleased) {
    MemoryVertexBuffer buffer(32, 0, 0, D3DPOOL_MANAGED);
    void* a = nullptr;
    void* b = nullptr;
    EXPECT_EQ(buffer.Lock(0, 0, &a, D3DLOCK_READONLY), S_OK);
    buffer.Unlock();
    EXPECT_EQ(buffer.version(), 0u);

    EXPECT_EQ(buffer.Lock(0, 16, &a, 0), S_OK);
    EXPECT_EQ(buffer.Lock(16, 16, &b, D3DLOCK_READONLY), S_OK);
    buffer.Unlock();
    EXPECT_TRUE(buffer.isLocked());
    EXPECT_EQ(buffer.version(), 0u);
    buffer.Unlock();
    EXPECT_EQ(buffer.version(), 1u);

    D3DVERTEXBUFFER_DESC desc{};
    ASSERT_EQ(buffer.GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Size, 32u);
    EXPECT_EQ(desc.Type, D3DRTYPE_VERTEXBUFFER);
}

TEST(d3d9IndexBuffer, ReadsIndicesOfEitherWidth) {
    MemoryIndexBuffer narrow(8, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED);
    MemoryIndexBuffer wide(8, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED);
    void* data = nullptr;
    EXPECT_EQ(narrow.Lock(0, 0, &data, 0), S_OK);
    const WORD shorts[] = {1, 65535, 7, 0};
    std::memcpy(data, shorts, sizeof shorts);
    narrow.Unlock();
    EXPECT_EQ(wide.Lock(0, 0, &data, 0), S_OK);
    const DWORD longs[] = {70000, 3};
    std::memcpy(data, longs, sizeof longs);
    wide.Unlock();

    EXPECT_EQ(narrow.indexCount(), 4u);
    EXPECT_EQ(narrow.index(1), 65535u);
    EXPECT_EQ(wide.indexCount(), 2u);
    EXPECT_EQ(wide.index(0), 70000u);
    EXPECT_EQ(narrow.Lock(6, 4, &data, 0), D3DERR_INVALIDCALL);
}

TEST(d3d9Texture, FullChainHalvesEachSideDownToOne) {
    MemoryTexture texture(256, 64, 0, 0, D3DFMT_A1R5G5B5, D3DPOOL_MANAGED);
    ASSERT_EQ(texture.GetLevelCount(), 9u);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture.GetLevelDesc(2, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 64u);
    EXPECT_EQ(desc.Height, 16u);
    EXPECT_EQ(desc.Format, D3DFMT_A1R5G5B5);
    ASSERT_EQ(texture.GetLevelDesc(8, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1u);
    EXPECT_EQ(desc.Height, 1u);
    EXPECT_EQ(texture.GetLevelDesc(9, &desc), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture.level(6).pitch(), 4u * 2); // 4 pixels of 2 bytes

    MemoryTexture single(64, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    EXPECT_EQ(single.GetLevelCount(), 1u);
}

TEST(d3d9Texture, LockRectPointsAtTheRectangleAndChecksIt) {
    MemoryTexture texture(8, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    D3DLOCKED_RECT locked{};
    const RECT inside{2, 1, 4, 3};
    ASSERT_EQ(texture.LockRect(0, &locked, &inside, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 32);
    EXPECT_EQ(static_cast<BYTE*>(locked.pBits), texture.level(0).bytes().data() + 32 + 8);
    static_cast<DWORD*>(locked.pBits)[0] = 0xFF112233;
    EXPECT_EQ(texture.LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL); // already locked
    EXPECT_EQ(texture.UnlockRect(0), D3D_OK);
    EXPECT_EQ(texture.UnlockRect(0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture.version(), 1u);
    EXPECT_EQ(texture.level(0).bytes()[40], 0x33);

    const RECT tooWide{4, 0, 9, 1};
    const RECT empty{2, 2, 2, 3};
    const RECT negative{-1, 0, 2, 2};
    EXPECT_EQ(texture.LockRect(0, &locked, &tooWide, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture.LockRect(0, &locked, &empty, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture.LockRect(0, &locked, &negative, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture.LockRect(1, &locked, nullptr, 0), D3DERR_INVALIDCALL);
}

TEST(d3d9Texture, DefaultPoolTexturesLockOnlyWhenDynamic) {
    D3DLOCKED_RECT locked{};
    MemoryTexture still(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    EXPECT_EQ(still.LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    MemoryTexture dynamic(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    EXPECT_EQ(dynamic.LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
    EXPECT_EQ(dynamic.UnlockRect(0), D3D_OK);
}

TEST(d3d9Texture, SurfaceLevelIsSharedAndOutlivesTheTexture) {
    auto texture = makeCom<MemoryTexture>(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ComPtr<IDirect3DSurface9> surface;
    ASSERT_EQ(texture->GetSurfaceLevel(1, surface.put()), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
    static_cast<BYTE*>(locked.pBits)[0] = 7;
    surface->UnlockRect();
    EXPECT_EQ(texture->level(1).bytes()[0], 7);

    texture.reset();
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(surface->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 8u);
}

TEST(d3d9Surface, SurfaceWithoutPixelsRefusesToLock) {
    MemorySurface backBuffer(640, 480, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
                             false);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(backBuffer.LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_TRUE(backBuffer.bytes().empty());
}

} // namespace
