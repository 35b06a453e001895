#include "d3dx9/d3dx9core.h"

#include <optional>
#include <utility>
#include <vector>

namespace {

// Screen-space sprite vertex: pixels, 1/w, colour, texture coordinates.
struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// Object-space vertex, for D3DXSPRITE_OBJECTSPACE.
struct ObjectVertex {
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
};
constexpr DWORD kObjectFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// What a batch sets on the device, and so what it saves first.
constexpr std::pair<D3DRENDERSTATETYPE, DWORD> kRenderStates[] = {
    {D3DRS_ALPHABLENDENABLE, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {D3DRS_SEPARATEALPHABLENDENABLE, FALSE},
    // Fully transparent texels leave the target alone.
    {D3DRS_ALPHATESTENABLE, TRUE},
    {D3DRS_ALPHAFUNC, D3DCMP_GREATER},
    {D3DRS_ALPHAREF, 0},
    {D3DRS_ZENABLE, D3DZB_FALSE},
    {D3DRS_ZWRITEENABLE, FALSE},
    {D3DRS_CULLMODE, D3DCULL_NONE},
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
    {D3DRS_LIGHTING, FALSE},
    {D3DRS_FOGENABLE, FALSE},
    {D3DRS_SPECULARENABLE, FALSE},
    {D3DRS_STENCILENABLE, FALSE},
    {D3DRS_COLORWRITEENABLE, 0xF},
    {D3DRS_CLIPPING, TRUE},
    {D3DRS_VERTEXBLEND, 0},
};

struct StageSetting {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
    DWORD value;
};
constexpr StageSetting kStageStates[] = {
    {0, D3DTSS_COLOROP, D3DTOP_MODULATE}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE}, {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
    {0, D3DTSS_TEXCOORDINDEX, 0},         {0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
    {1, D3DTSS_COLOROP, D3DTOP_DISABLE},  {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
};

constexpr std::pair<D3DSAMPLERSTATETYPE, DWORD> kSamplerStates[] = {
    {D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP},
    {D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP},
    {D3DSAMP_MAGFILTER, D3DTEXF_LINEAR},
    {D3DSAMP_MINFILTER, D3DTEXF_LINEAR},
    {D3DSAMP_MIPFILTER, D3DTEXF_LINEAR},
    {D3DSAMP_MAXMIPLEVEL, 0},
    {D3DSAMP_MIPMAPLODBIAS, 0},
};

// The device state a batch changes, read before it begins and written back at its end.
class SavedState {
public:
    explicit SavedState(IDirect3DDevice9* device) {
        for (const auto& [state, value] : kRenderStates) {
            DWORD now = 0;
            device->GetRenderState(state, &now);
            renderStates_.emplace_back(state, now);
        }
        for (const StageSetting& s : kStageStates) {
            DWORD now = 0;
            device->GetTextureStageState(s.stage, s.type, &now);
            stageStates_.push_back({s.stage, s.type, now});
        }
        for (const auto& [state, value] : kSamplerStates) {
            DWORD now = 0;
            device->GetSamplerState(0, state, &now);
            samplerStates_.emplace_back(state, now);
        }
        device->GetTexture(0, texture_.put());
        device->GetFVF(&fvf_);
        device->GetStreamSource(0, stream_.put(), &streamOffset_, &streamStride_);
    }

    void restore(IDirect3DDevice9* device) const {
        for (const auto& [state, value] : renderStates_) {
            device->SetRenderState(state, value);
        }
        for (const StageSetting& s : stageStates_) {
            device->SetTextureStageState(s.stage, s.type, s.value);
        }
        for (const auto& [state, value] : samplerStates_) {
            device->SetSamplerState(0, state, value);
        }
        device->SetTexture(0, texture_.get());
        device->SetFVF(fvf_);
        device->SetStreamSource(0, stream_.get(), streamOffset_, streamStride_);
    }

private:
    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> renderStates_;
    std::vector<StageSetting> stageStates_;
    std::vector<std::pair<D3DSAMPLERSTATETYPE, DWORD>> samplerStates_;
    ComPtr<IDirect3DBaseTexture9> texture_;
    DWORD fvf_ = 0;
    ComPtr<IDirect3DVertexBuffer9> stream_;
    UINT streamOffset_ = 0;
    UINT streamStride_ = 0;
};

class Sprite final : public ID3DXSprite {
public:
    explicit Sprite(IDirect3DDevice9* device) : device_(device) { D3DXMatrixIdentity(&transform_); }

    HRESULT GetDevice(IDirect3DDevice9** ppDevice) override {
        if (ppDevice == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *ppDevice = ComPtr<IDirect3DDevice9>(device_).detach();
        return D3D_OK;
    }

    HRESULT GetTransform(D3DXMATRIX* pTransform) override {
        if (pTransform == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *pTransform = transform_;
        return D3D_OK;
    }

    HRESULT SetTransform(const D3DXMATRIX* pTransform) override {
        if (pTransform == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        transform_ = *pTransform;
        return D3D_OK;
    }

    HRESULT Begin(DWORD Flags) override {
        if (begun_ || lost_) {
            return D3DERR_INVALIDCALL;
        }
        flags_ = Flags;
        begun_ = true;
        return D3D_OK;
    }

    HRESULT Draw(IDirect3DTexture9* pTexture, const RECT* pSrcRect, const D3DXVECTOR3* pCenter,
                 const D3DXVECTOR3* pPosition, D3DCOLOR Color) override {
        if (!begun_ || pTexture == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        D3DSURFACE_DESC desc{};
        if (FAILED(pTexture->GetLevelDesc(0, &desc)) || desc.Width == 0 || desc.Height == 0) {
            return D3DERR_INVALIDCALL;
        }
        const RECT src = pSrcRect != nullptr ? *pSrcRect
                                             : RECT{0, 0, static_cast<LONG>(desc.Width),
                                                    static_cast<LONG>(desc.Height)};
        const D3DXVECTOR3 centre = pCenter != nullptr ? *pCenter : D3DXVECTOR3(0, 0, 0);
        const D3DXVECTOR3 position = pPosition != nullptr ? *pPosition : D3DXVECTOR3(0, 0, 0);

        const float x0 = position.x - centre.x;
        const float y0 = position.y - centre.y;
        const float z = position.z - centre.z;
        const float x1 = x0 + static_cast<float>(src.right - src.left);
        const float y1 = y0 + static_cast<float>(src.bottom - src.top);
        const float w = static_cast<float>(desc.Width);
        const float h = static_cast<float>(desc.Height);
        const float u0 = static_cast<float>(src.left) / w;
        const float v0 = static_cast<float>(src.top) / h;
        const float u1 = static_cast<float>(src.right) / w;
        const float v1 = static_cast<float>(src.bottom) / h;

        Quad quad;
        quad.texture = ComPtr<IDirect3DTexture9>(pTexture);
        const D3DXVECTOR3 corners[4] = {{x0, y0, z}, {x1, y0, z}, {x0, y1, z}, {x1, y1, z}};
        const float us[4] = {u0, u1, u0, u1};
        const float vs[4] = {v0, v0, v1, v1};
        for (int i = 0; i < 4; ++i) {
            D3DXVECTOR3 p;
            D3DXVec3TransformCoord(&p, &corners[i], &transform_);
            quad.corners[i] = {p.x, p.y, p.z, Color, us[i], vs[i]};
        }
        queue_.push_back(std::move(quad));
        return D3D_OK;
    }

    // The device's state is saved, changed and put back around each flush rather than
    // over the whole batch, so that batches of several sprites (two fonts begun one
    // after the other) can end in any order and still leave the state as it was.
    HRESULT Flush() override {
        if (!begun_) {
            return D3DERR_INVALIDCALL;
        }
        if (queue_.empty()) {
            return D3D_OK;
        }
        std::optional<SavedState> saved;
        if ((flags_ & D3DXSPRITE_DONOTSAVESTATE) == 0) {
            saved.emplace(device_.get());
        }
        if ((flags_ & D3DXSPRITE_DONOTMODIFY_RENDERSTATE) == 0) {
            for (const auto& [state, value] : kRenderStates) {
                device_->SetRenderState(state, value);
            }
            for (const StageSetting& s : kStageStates) {
                device_->SetTextureStageState(s.stage, s.type, s.value);
            }
            for (const auto& [state, value] : kSamplerStates) {
                device_->SetSamplerState(0, state, value);
            }
        }
        HRESULT result = D3D_OK;
        const bool objectSpace = (flags_ & D3DXSPRITE_OBJECTSPACE) != 0;
        device_->SetFVF(objectSpace ? kObjectFvf : kScreenFvf);
        // Consecutive sprites of one texture go in one draw; the order stays as queued,
        // since blending depends on it.
        std::size_t first = 0;
        while (first < queue_.size()) {
            std::size_t last = first + 1;
            while (last < queue_.size() && queue_[last].texture == queue_[first].texture) {
                ++last;
            }
            device_->SetTexture(0, queue_[first].texture.get());
            const HRESULT hr = objectSpace ? drawRun<ObjectVertex>(first, last)
                                           : drawRun<ScreenVertex>(first, last);
            if (FAILED(hr)) {
                result = hr;
            }
            first = last;
        }
        queue_.clear();
        if (saved) {
            saved->restore(device_.get());
        }
        return result;
    }

    HRESULT End() override {
        if (!begun_) {
            return D3DERR_INVALIDCALL;
        }
        const HRESULT hr = Flush();
        begun_ = false;
        return hr;
    }

    HRESULT OnLostDevice() override {
        if (begun_) {
            End();
        }
        lost_ = true;
        return D3D_OK;
    }

    HRESULT OnResetDevice() override {
        lost_ = false;
        return D3D_OK;
    }

private:
    struct Corner {
        float x, y, z;
        D3DCOLOR colour;
        float u, v;
    };
    struct Quad {
        ComPtr<IDirect3DTexture9> texture;
        Corner corners[4]; // top-left, top-right, bottom-left, bottom-right
    };

    static void vertex(const Corner& c, ScreenVertex* out) {
        // Direct3D 9 centres pixels on whole coordinates: a sprite at (0, 0) covers pixel
        // (0, 0) from its edge at -0.5, so texels fall on pixels one to one.
        *out = {c.x - 0.5f, c.y - 0.5f, 0.0f, 1.0f, c.colour, c.u, c.v};
    }
    static void vertex(const Corner& c, ObjectVertex* out) {
        *out = {c.x, c.y, c.z, c.colour, c.u, c.v};
    }

    template <class Vertex>
    HRESULT drawRun(std::size_t first, std::size_t last) {
        std::vector<Vertex> vertices;
        vertices.reserve((last - first) * 6);
        for (std::size_t i = first; i < last; ++i) {
            const Corner* c = queue_[i].corners;
            for (const int corner : {0, 1, 2, 2, 1, 3}) {
                vertex(c[corner], &vertices.emplace_back());
            }
        }
        return device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>((last - first) * 2),
                                        vertices.data(), sizeof(Vertex));
    }

    ComPtr<IDirect3DDevice9> device_;
    D3DXMATRIX transform_;
    DWORD flags_ = 0;
    bool begun_ = false;
    bool lost_ = false;
    std::vector<Quad> queue_;
};

} // namespace

HRESULT D3DXCreateSprite(IDirect3DDevice9* pDevice, ID3DXSprite** ppSprite) {
    if (pDevice == nullptr || ppSprite == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppSprite = makeCom<Sprite>(pDevice).detach();
    return D3D_OK;
}
