#include "d3dx9/d3dx9core.h"

#include "font_face.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// The text as code points: UTF-8 sequences where the bytes form them, single bytes as
// Latin-1 otherwise, so that both old 8-bit strings and UTF-8 read as meant.
std::u32string decodeText(const char* text, std::size_t length) {
    std::u32string out;
    out.reserve(length);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    while (i < length) {
        const unsigned char lead = bytes[i];
        int extra = 0;
        char32_t cp = lead;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            cp = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            cp = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            cp = lead & 0x07u;
        }
        // The continuation bytes must all be there.
        bool valid = extra > 0 && i + static_cast<std::size_t>(extra) < length;
        for (int k = 1; valid && k <= extra; ++k) {
            const unsigned char next = bytes[i + static_cast<std::size_t>(k)];
            if ((next & 0xC0u) != 0x80u) {
                valid = false;
            } else {
                cp = (cp << 6) | (next & 0x3Fu);
            }
        }
        // Overlong forms, surrogates and values past Unicode are not UTF-8.
        const char32_t minimum = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (valid && (cp < minimum || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)) {
            valid = false;
        }
        if (valid) {
            out.push_back(cp);
            i += static_cast<std::size_t>(extra) + 1;
        } else {
            out.push_back(lead);
            ++i;
        }
    }
    return out;
}

// Bytes of the string: up to the terminating zero when count is negative, else count
// bytes or fewer when a zero comes first.
std::size_t textLength(const char* text, INT count) {
    if (count < 0) {
        return std::strlen(text);
    }
    return static_cast<std::size_t>(std::find(text, text + count, '\0') - text);
}

class Font final : public ID3DXFont {
public:
    Font(IDirect3DDevice9* device, const D3DXFONT_DESCA& desc, std::unique_ptr<FontFace> face)
        : device_(device), desc_(desc), face_(std::move(face)) {}

    // Makes the glyph cache's first page and the font's own sprite.
    HRESULT initialise() {
        const HRESULT hr = D3DXCreateSprite(device_.get(), sprite_.put());
        if (FAILED(hr)) {
            return hr;
        }
        // The printable ASCII set goes in at once, so that a frame's first text does not
        // rasterize; the rest comes when it is first drawn.
        std::u32string ascii;
        for (char32_t c = 0x20; c < 0x7F; ++c) {
            ascii.push_back(c);
        }
        return cache(ascii);
    }

    HRESULT GetDevice(IDirect3DDevice9** ppDevice) override {
        if (ppDevice == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *ppDevice = ComPtr<IDirect3DDevice9>(device_).detach();
        return D3D_OK;
    }

    HRESULT GetDescA(D3DXFONT_DESCA* pDesc) override {
        if (pDesc == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *pDesc = desc_;
        return D3D_OK;
    }

    HRESULT Begin() override {
        if (batching_) {
            return D3DERR_INVALIDCALL;
        }
        const HRESULT hr = sprite_->Begin(D3DXSPRITE_ALPHABLEND);
        batching_ = SUCCEEDED(hr);
        return hr;
    }

    HRESULT End() override {
        if (!batching_) {
            return D3DERR_INVALIDCALL;
        }
        batching_ = false;
        return sprite_->End();
    }

    INT DrawTextA(ID3DXSprite* pSprite, const char* pString, INT Count, RECT* pRect, DWORD Format,
                  D3DCOLOR Color) override {
        if (pString == nullptr) {
            return 0;
        }
        const std::u32string text = decodeText(pString, textLength(pString, Count));
        if (FAILED(cache(text))) {
            return 0;
        }

        // Lines and their widths.
        std::vector<std::u32string> lines(1);
        for (const char32_t c : text) {
            if (c == U'\r') {
                continue;
            }
            if (c == U'\n') {
                if ((Format & DT_SINGLELINE) == 0) {
                    lines.emplace_back();
                }
                continue;
            }
            lines.back().push_back(c);
        }
        std::vector<int> widths;
        int widest = 0;
        for (const std::u32string& line : lines) {
            int width = 0;
            for (const char32_t c : line) {
                width += glyphs_.at(c).advance;
            }
            widths.push_back(width);
            widest = std::max(widest, width);
        }
        const int height = static_cast<int>(lines.size()) * face_->lineHeight();

        RECT area = pRect != nullptr ? *pRect : RECT{0, 0, 0, 0};
        const bool clip = pRect != nullptr && (Format & DT_NOCLIP) == 0;
        if ((Format & DT_CALCRECT) != 0) {
            if (pRect != nullptr) {
                pRect->right = pRect->left + widest;
                pRect->bottom = pRect->top + height;
            }
            return height;
        }

        int top = area.top;
        if ((Format & DT_BOTTOM) != 0) {
            top = area.bottom - height;
        } else if ((Format & DT_VCENTER) != 0) {
            top = area.top + (area.bottom - area.top - height) / 2;
        }

        ID3DXSprite* sprite = pSprite != nullptr ? pSprite : sprite_.get();
        const bool ownBatch = pSprite == nullptr && !batching_;
        if (ownBatch && FAILED(sprite_->Begin(D3DXSPRITE_ALPHABLEND))) {
            return 0;
        }
        bool drawn = true;
        for (std::size_t l = 0; l < lines.size(); ++l) {
            int pen = area.left;
            if ((Format & DT_RIGHT) != 0) {
                pen = area.right - widths[l];
            } else if ((Format & DT_CENTER) != 0) {
                pen = area.left + (area.right - area.left - widths[l]) / 2;
            }
            const int baseline = top + static_cast<int>(l) * face_->lineHeight() + face_->ascent();
            for (const char32_t c : lines[l]) {
                const Glyph& g = glyphs_.at(c);
                if (g.page >= 0) {
                    RECT src = g.source;
                    LONG x = pen + g.left;
                    LONG y = baseline - g.top;
                    if (!clip || clipGlyph(area, &src, &x, &y)) {
                        const D3DXVECTOR3 at(static_cast<float>(x), static_cast<float>(y), 0.0f);
                        drawn = SUCCEEDED(sprite->Draw(
                                    pages_[static_cast<std::size_t>(g.page)].texture.get(), &src,
                                    nullptr, &at, Color)) &&
                                drawn;
                    }
                }
                pen += g.advance;
            }
        }
        if (ownBatch) {
            drawn = SUCCEEDED(sprite_->End()) && drawn;
        }
        if (!drawn) {
            return 0;
        }
        return (Format & (DT_BOTTOM | DT_VCENTER)) != 0 ? top - area.top + height : height;
    }

    HRESULT PreloadTextA(const char* pString, INT Count) override {
        if (pString == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        return cache(decodeText(pString, textLength(pString, Count)));
    }

    HRESULT OnLostDevice() override {
        batching_ = false;
        return sprite_->OnLostDevice();
    }

    HRESULT OnResetDevice() override { return sprite_->OnResetDevice(); }

private:
    struct Glyph {
        int page = -1; // -1: nothing to draw (a space)
        RECT source{};
        int left = 0;
        int top = 0;
        int advance = 0;
    };
    struct Page {
        ComPtr<IDirect3DTexture9> texture;
        int size = 0;
        int x = 1;
        int y = 1;
        int rowHeight = 0;
    };

    // Narrows a glyph to the part inside the rectangle; false when nothing is left.
    static bool clipGlyph(const RECT& area, RECT* src, LONG* x, LONG* y) {
        const LONG w = src->right - src->left;
        const LONG h = src->bottom - src->top;
        const LONG left = std::max<LONG>(*x, area.left);
        const LONG top = std::max<LONG>(*y, area.top);
        const LONG right = std::min<LONG>(*x + w, area.right);
        const LONG bottom = std::min<LONG>(*y + h, area.bottom);
        if (left >= right || top >= bottom) {
            return false;
        }
        src->left += left - *x;
        src->top += top - *y;
        src->right = src->left + (right - left);
        src->bottom = src->top + (bottom - top);
        *x = left;
        *y = top;
        return true;
    }

    int pageSize() const {
        int size = 256;
        while (size < 2048 && size < face_->lineHeight() * 12) {
            size *= 2;
        }
        return size;
    }

    HRESULT addPage() {
        Page page;
        page.size = pageSize();
        const UINT size = static_cast<UINT>(page.size);
        HRESULT hr = device_->CreateTexture(size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                            page.texture.put(), nullptr);
        if (FAILED(hr)) {
            return hr;
        }
        // Empty texels are white and clear rather than black, so that filtering at glyph
        // edges does not darken the text's colour.
        D3DLOCKED_RECT locked{};
        hr = page.texture->LockRect(0, &locked, nullptr, 0);
        if (FAILED(hr)) {
            return hr;
        }
        for (UINT y = 0; y < size; ++y) {
            auto* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) +
                                                 static_cast<std::size_t>(y) * locked.Pitch);
            std::fill(row, row + size, 0x00FFFFFFu);
        }
        page.texture->UnlockRect(0);
        pages_.push_back(std::move(page));
        return D3D_OK;
    }

    // Puts the glyphs of the text that are not cached yet into the pages.
    HRESULT cache(const std::u32string& text) {
        for (const char32_t c : text) {
            if (c == U'\n' || c == U'\r' || glyphs_.count(c) != 0) {
                continue;
            }
            GlyphBitmap bitmap;
            if (!face_->render(c, &bitmap)) {
                glyphs_[c] = Glyph{};
                continue;
            }
            Glyph glyph;
            glyph.left = bitmap.left;
            glyph.top = bitmap.top;
            glyph.advance = bitmap.advance;
            if (bitmap.width > 0 && bitmap.rows > 0) {
                const HRESULT hr = place(bitmap, &glyph);
                if (FAILED(hr)) {
                    return hr;
                }
            }
            glyphs_[c] = glyph;
        }
        return D3D_OK;
    }

    // Finds room for the bitmap in the last page (or a new one) and writes it there, with
    // a texel of space round every glyph so that filtering does not reach its neighbour.
    HRESULT place(const GlyphBitmap& bitmap, Glyph* glyph) {
        if (pages_.empty() && FAILED(addPage())) {
            return D3DERR_OUTOFVIDEOMEMORY;
        }
        Page* page = &pages_.back();
        if (bitmap.width + 2 > page->size || bitmap.rows + 2 > page->size) {
            return D3DERR_INVALIDCALL;
        }
        if (page->x + bitmap.width + 1 > page->size) {
            page->x = 1;
            page->y += page->rowHeight + 1;
            page->rowHeight = 0;
        }
        if (page->y + bitmap.rows + 1 > page->size) {
            const HRESULT hr = addPage();
            if (FAILED(hr)) {
                return hr;
            }
            page = &pages_.back();
        }
        const RECT area{page->x, page->y, page->x + bitmap.width, page->y + bitmap.rows};
        D3DLOCKED_RECT locked{};
        const HRESULT hr = page->texture->LockRect(0, &locked, &area, 0);
        if (FAILED(hr)) {
            return hr;
        }
        for (int y = 0; y < bitmap.rows; ++y) {
            auto* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) +
                                                 static_cast<std::size_t>(y) * locked.Pitch);
            for (int x = 0; x < bitmap.width; ++x) {
                const DWORD alpha = bitmap.coverage[static_cast<std::size_t>(y) * bitmap.width + x];
                row[x] = (alpha << 24) | 0x00FFFFFFu;
            }
        }
        page->texture->UnlockRect(0);
        glyph->page = static_cast<int>(pages_.size()) - 1;
        glyph->source = area;
        page->x += bitmap.width + 1;
        page->rowHeight = std::max(page->rowHeight, bitmap.rows);
        return D3D_OK;
    }

    ComPtr<IDirect3DDevice9> device_;
    D3DXFONT_DESCA desc_;
    std::unique_ptr<FontFace> face_;
    ComPtr<ID3DXSprite> sprite_;
    bool batching_ = false;
    std::unordered_map<char32_t, Glyph> glyphs_;
    std::vector<Page> pages_;
};

} // namespace

HRESULT D3DXCreateFontIndirectA(IDirect3DDevice9* pDevice, const D3DXFONT_DESCA* pDesc,
                                ID3DXFont** ppFont) {
    if (ppFont == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppFont = nullptr;
    if (pDevice == nullptr || pDesc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DXFONT_DESCA desc = *pDesc;
    desc.FaceName[LF_FACESIZE - 1] = '\0';
    FontRequest request;
    request.family = desc.FaceName;
    request.height = desc.Height;
    request.width = static_cast<int>(desc.Width);
    request.weight = static_cast<int>(desc.Weight);
    request.italic = desc.Italic != FALSE;
    request.antialiased = desc.Quality != NONANTIALIASED_QUALITY;
    request.pitchAndFamily = desc.PitchAndFamily;
    std::unique_ptr<FontFace> face = FontFace::open(request, nullptr);
    if (!face) {
        return E_FAIL;
    }
    ComPtr<Font> font = makeCom<Font>(pDevice, desc, std::move(face));
    const HRESULT hr = font->initialise();
    if (FAILED(hr)) {
        return hr;
    }
    *ppFont = font.detach();
    return D3D_OK;
}

HRESULT D3DXCreateFontA(IDirect3DDevice9* pDevice, INT Height, UINT Width, UINT Weight,
                        UINT MipLevels, BOOL Italic, DWORD CharSet, DWORD OutputPrecision,
                        DWORD Quality, DWORD PitchAndFamily, const char* pFaceName,
                        ID3DXFont** ppFont) {
    D3DXFONT_DESCA desc{};
    desc.Height = Height;
    desc.Width = Width;
    desc.Weight = Weight;
    desc.MipLevels = MipLevels;
    desc.Italic = Italic;
    desc.CharSet = static_cast<BYTE>(CharSet);
    desc.OutputPrecision = static_cast<BYTE>(OutputPrecision);
    desc.Quality = static_cast<BYTE>(Quality);
    desc.PitchAndFamily = static_cast<BYTE>(PitchAndFamily);
    if (pFaceName != nullptr) {
        std::strncpy(desc.FaceName, pFaceName, LF_FACESIZE - 1);
    }
    return D3DXCreateFontIndirectA(pDevice, &desc, ppFont);
}
