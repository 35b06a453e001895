// Instanced draws on the GL device: one DrawIndexedPrimitive with a stream of world
// matrices draws the picture that one draw per object under D3DTS_WORLD draws.
#include "render_fixture.h"

#include "d3d9/recording_device.h"
#include "d3dx9/d3dx9math.h"

#include <algorithm>
#include <vector>

namespace {

// A unit cube, each face with its own normal and the whole texture.
std::vector<LitVertex> cubeVertices() {
    const float faces[6][3] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    std::vector<LitVertex> vertices;
    for (const auto& n : faces) {
        // Two axes across the face, so that its corners are n + s*u + t*v.
        const D3DXVECTOR3 normal(n[0], n[1], n[2]);
        const D3DXVECTOR3 u = n[1] != 0 ? D3DXVECTOR3(1, 0, 0) : D3DXVECTOR3(0, 1, 0);
        D3DXVECTOR3 v;
        D3DXVec3Cross(&v, &normal, &u);
        for (const auto& [s, t] : {std::pair{-1, -1}, {1, -1}, {-1, 1}, {1, 1}}) {
            const D3DXVECTOR3 p =
                (normal + u * static_cast<float>(s) + v * static_cast<float>(t)) * 0.5f;
            vertices.push_back({p.x, p.y, p.z, n[0], n[1], n[2], (s + 1) * 0.5f, (t + 1) * 0.5f});
        }
    }
    return vertices;
}

// Objects that each need their own normal matrix: turned, stretched, mirrored.
std::vector<D3DXMATRIX> placements() {
    std::vector<D3DXMATRIX> worlds;
    D3DXMATRIX yaw;
    D3DXMATRIX pitch;
    D3DXMATRIX scale;
    D3DXMATRIX move;
    const float spots[6][2] = {{-2.2f, 1.1f},  {0, 1.2f},     {2.1f, 1.0f},
                               {-2.0f, -1.1f}, {0.1f, -1.2f}, {2.3f, -0.9f}};
    for (int i = 0; i < 6; ++i) {
        D3DXMatrixRotationY(&yaw, 0.4f + 0.5f * static_cast<float>(i));
        D3DXMatrixRotationX(&pitch, 0.2f + 0.3f * static_cast<float>(i));
        D3DXMatrixScaling(&scale, i == 4 ? -1.0f : 1.0f, i == 2 ? 1.6f : 1.0f,
                          i == 5 ? 0.5f : 1.0f);
        D3DXMatrixTranslation(&move, spots[i][0], spots[i][1], 0.0f);
        worlds.push_back(yaw * scale * pitch * move); // stretched across its faces
    }
    return worlds;
}

struct InstancingCase {
    const char* name;
    D3DFORMAT indexFormat;
    INT baseVertex;      // the cube's vertices start this far into the buffer
    UINT instanceOffset; // bytes before the first matrix
    UINT instanceStride;
    DWORD shadeMode;
    bool foreignBuffers; // vertices and matrices in buffers made by another device
};

class glInstancing : public GLRenderTest {
protected:
    static constexpr int kPictureWidth = 160;
    static constexpr int kPictureHeight = 96;
    static constexpr D3DCOLOR kBackground = 0xFF203040;

    void SetUp() override {
        open(kPictureWidth, kPictureHeight);
        if (!device) {
            return;
        }
        D3DMATERIAL9 material{};
        material.Diffuse = {1, 0.9f, 0.8f, 1};
        material.Ambient = {0.3f, 0.3f, 0.3f, 1};
        device->SetMaterial(&material);
        device->SetRenderState(D3DRS_AMBIENT, 0x00404040);
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1, 1, 1, 1};
        light.Direction = {0.5f, -0.6f, 1.0f};
        device->SetLight(0, &light);
        device->LightEnable(0, TRUE);
        D3DXMATRIX view;
        D3DXMATRIX projection;
        const D3DXVECTOR3 eye(0.3f, 0.8f, -7.0f), at(0, 0, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.9f,
                                   static_cast<float>(kPictureWidth) / kPictureHeight, 1.0f, 50.0f);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        // A four-colour checker, so that a wrong texture coordinate shows.
        checker = texture(2, 2, 1, D3DFMT_A8R8G8B8);
        fill32(checker.get(), 0, {0xFFFFFFFF, 0xFFE05030, 0xFF30A0E0, 0xFFFFE040});
        device->SetTexture(0, checker.get());
        device->SetFVF(kLitFvf);
    }

    // The cube's vertices after `baseVertex` unused ones, and its indices in `format`.
    void bindCube(IDirect3DDevice9* maker, D3DFORMAT format, INT baseVertex) {
        std::vector<LitVertex> vertices(static_cast<std::size_t>(baseVertex));
        const std::vector<LitVertex> cube = cubeVertices();
        vertices.insert(vertices.end(), cube.begin(), cube.end());
        ASSERT_EQ(maker->CreateVertexBuffer(static_cast<UINT>(vertices.size() * sizeof(LitVertex)),
                                            0, kLitFvf, D3DPOOL_MANAGED, cubeBuffer.put(), nullptr),
                  D3D_OK);
        write(cubeBuffer.get(), vertices.data(), vertices.size() * sizeof(LitVertex));
        const UINT size = format == D3DFMT_INDEX32 ? 4 : 2;
        ASSERT_EQ(maker->CreateIndexBuffer(36 * size, 0, format, D3DPOOL_MANAGED, cubeIndices.put(),
                                           nullptr),
                  D3D_OK);
        void* data = nullptr;
        ASSERT_EQ(cubeIndices->Lock(0, 0, &data, 0), D3D_OK);
        // Clockwise as seen from outside, as Direct3D's front faces are.
        for (UINT face = 0, at = 0; face < 6; ++face) {
            for (const UINT corner : {0u, 1u, 2u, 2u, 1u, 3u}) {
                const UINT index = face * 4 + corner; // little-endian either size
                std::memcpy(static_cast<BYTE*>(data) + at++ * size, &index, size);
            }
        }
        ASSERT_EQ(cubeIndices->Unlock(), D3D_OK);
        device->SetStreamSource(0, cubeBuffer.get(), 0, sizeof(LitVertex));
        device->SetIndices(cubeIndices.get());
    }

    static void write(IDirect3DVertexBuffer9* buffer, const void* bytes, std::size_t size) {
        void* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, bytes, size);
        ASSERT_EQ(buffer->Unlock(), D3D_OK);
    }

    // The matrices laid out `stride` bytes apart from `offset` on, the gaps filled with
    // values that would show if they were read.
    ComPtr<IDirect3DVertexBuffer9> instanceBuffer(IDirect3DDevice9* maker,
                                                  const std::vector<D3DXMATRIX>& worlds,
                                                  UINT offset, UINT stride) {
        std::vector<BYTE> bytes(offset + worlds.size() * stride, 0x7F);
        for (std::size_t i = 0; i < worlds.size(); ++i) {
            std::memcpy(&bytes[offset + i * stride], &worlds[i], sizeof(D3DMATRIX));
        }
        ComPtr<IDirect3DVertexBuffer9> buffer;
        EXPECT_EQ(maker->CreateVertexBuffer(static_cast<UINT>(bytes.size()), D3DUSAGE_WRITEONLY, 0,
                                            D3DPOOL_MANAGED, buffer.put(), nullptr),
                  D3D_OK);
        write(buffer.get(), bytes.data(), bytes.size());
        return buffer;
    }

    void drawCubes(INT baseVertex) {
        EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, baseVertex, 0, 24, 0, 12),
                  D3D_OK);
    }

    // Pixels whose channels differ by more than the tolerance.
    static int differingPixels(const std::vector<std::uint8_t>& a,
                               const std::vector<std::uint8_t>& b, int tolerance) {
        int differing = 0;
        for (std::size_t i = 0; i + 3 < a.size(); i += 4) {
            for (std::size_t c = 0; c < 3; ++c) {
                if (std::abs(a[i + c] - b[i + c]) > tolerance) {
                    ++differing;
                    break;
                }
            }
        }
        return differing;
    }

    ComPtr<IDirect3DTexture9> checker;
    ComPtr<IDirect3DVertexBuffer9> cubeBuffer;
    ComPtr<IDirect3DIndexBuffer9> cubeIndices;
};

TEST_F(glInstancing, OneInstancedDrawPaintsWhatOneDrawPerObjectPaints) {
    const InstancingCase cases[] = {
        {"16-bit indices, packed matrices", D3DFMT_INDEX16, 0, 0, 64, D3DSHADE_GOURAUD, false},
        {"32-bit indices, base vertex, spaced matrices", D3DFMT_INDEX32, 5, 16, 80, D3DSHADE_FLAT,
         false},
        {"buffers of another device", D3DFMT_INDEX16, 0, 0, 64, D3DSHADE_GOURAUD, true},
    };
    const std::vector<D3DXMATRIX> worlds = placements();
    for (const InstancingCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto other = RecordingDevice::create(8, 8);
        IDirect3DDevice9* maker =
            c.foreignBuffers ? static_cast<IDirect3DDevice9*>(other.get()) : device.get();
        bindCube(maker, c.indexFormat, c.baseVertex);
        device->SetRenderState(D3DRS_SHADEMODE, c.shadeMode);
        const auto oneDrawEach = [&] {
            frame(kBackground, [&] {
                for (const D3DXMATRIX& world : worlds) {
                    device->SetTransform(D3DTS_WORLD, &world);
                    drawCubes(c.baseVertex);
                }
            });
            return pixels;
        };
        const std::vector<std::uint8_t> separate = oneDrawEach();
        writePng("instancing-separate.png");

        const auto instances = instanceBuffer(maker, worlds, c.instanceOffset, c.instanceStride);
        // D3DTS_WORLD plays no part in an instanced draw.
        D3DXMATRIX away;
        D3DXMatrixTranslation(&away, 0, 0, -100);
        device->SetTransform(D3DTS_WORLD, &away);
        frame(kBackground, [&] {
            ASSERT_EQ(device->SetStreamSourceFreq(0, D3DSTREAMSOURCE_INDEXEDDATA |
                                                         static_cast<UINT>(worlds.size())),
                      D3D_OK);
            ASSERT_EQ(device->SetStreamSourceFreq(1, D3DSTREAMSOURCE_INSTANCEDATA | 1), D3D_OK);
            device->SetStreamSource(1, instances.get(), c.instanceOffset, c.instanceStride);
            drawCubes(c.baseVertex);
            device->SetStreamSourceFreq(0, 1);
            device->SetStreamSourceFreq(1, 1);
        });
        const std::vector<std::uint8_t> instanced = pixels;
        writePng("instancing-instanced.png");

        // The picture holds every cube, lit from more than one side and textured.
        int covered = 0;
        std::vector<Rgb> shades;
        for (int y = 0; y < kPictureHeight; ++y) {
            for (int x = 0; x < kPictureWidth; ++x) {
                const Rgb p = pixel(x, y);
                covered += p.near(Rgb::of(kBackground), 0) ? 0 : 1;
                if (std::none_of(shades.begin(), shades.end(),
                                 [&](const Rgb& s) { return s.near(p, 8); })) {
                    shades.push_back(p);
                }
            }
        }
        EXPECT_GT(covered, kPictureWidth * kPictureHeight / 10);
        EXPECT_GT(shades.size(), 12u);
        EXPECT_EQ(differingPixels(separate, instanced, 2), 0);
        // Nothing of the instanced draw stays behind for the draws after it.
        EXPECT_EQ(differingPixels(separate, oneDrawEach(), 0), 0);
    }
}

} // namespace
