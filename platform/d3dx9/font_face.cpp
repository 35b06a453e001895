#include "font_face.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstdlib>
#include <mutex>

namespace {

// fontconfig's configuration is read once per process; building it takes a while.
bool fontconfigReady() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = FcInit() == FcTrue; });
    return ready;
}

const char* familyOf(unsigned pitchAndFamily) {
    switch (pitchAndFamily & 0xF0u) {
    case 0x10: // FF_ROMAN
        return "serif";
    case 0x30: // FF_MODERN
        return "monospace";
    default:
        return (pitchAndFamily & 0x3u) == 1 ? "monospace" : "sans-serif";
    }
}

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

} // namespace

struct FontFace::FreeType {
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    ~FreeType() {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
    }
};

FontFace::~FontFace() = default;

std::unique_ptr<FontFace> FontFace::open(const FontRequest& request, std::string* error) {
    const auto fail = [error](std::string message) {
        if (error != nullptr) {
            *error = std::move(message);
        }
        return nullptr;
    };
    if (!fontconfigReady()) {
        return fail("fontconfig could not read its configuration");
    }

    const std::string family =
        request.family.empty() ? familyOf(request.pitchAndFamily) : request.family;
    const int weight = request.weight > 0 ? request.weight : 400;
    Pattern pattern(FcPatternCreate());
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern.get(), FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) {
        return fail("no font matches \"" + family + "\"");
    }
    int index = 0;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    int matchedWeight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &matchedWeight);
    int matchedSlant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match.get(), FC_SLANT, 0, &matchedSlant);

    std::unique_ptr<FontFace> font(new FontFace());
    font->file_ = reinterpret_cast<const char*>(file);
    font->ft_ = std::make_unique<FreeType>();
    FreeType& ft = *font->ft_;
    if (FT_Init_FreeType(&ft.library) != 0) {
        return fail("FreeType did not start");
    }
    if (FT_New_Face(ft.library, font->file_.c_str(), index, &ft.face) != 0) {
        return fail("FreeType cannot read " + font->file_);
    }
    // Bold asked for from a face that is not bold, as GDI would do it: thicker strokes.
    font->embolden_ = weight >= 600 && matchedWeight < FC_WEIGHT_DEMIBOLD;
    font->antialiased_ = request.antialiased;
    if (request.italic && matchedSlant == FC_SLANT_ROMAN) {
        FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000}; // about 12 degrees
        FT_Set_Transform(ft.face, &shear, nullptr);
    }

    // GDI measures a line from the Windows ascent to the Windows descent of the OS/2
    // table; a positive height is that cell, a negative one the em.
    const double units = ft.face->units_per_EM > 0 ? ft.face->units_per_EM : 2048;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft.face, FT_SFNT_OS2));
    double ascentUnits = ft.face->ascender;
    double descentUnits = -ft.face->descender;
    if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
        ascentUnits = os2->usWinAscent;
        descentUnits = os2->usWinDescent;
    }
    const double cellUnits = ascentUnits + descentUnits > 0 ? ascentUnits + descentUnits : units;
    double em = 12.0;
    if (request.height > 0) {
        em = request.height * units / cellUnits;
    } else if (request.height < 0) {
        em = -request.height;
    }
    double horizontalEm = em;
    if (request.width > 0 && os2 != nullptr && os2->xAvgCharWidth > 0) {
        horizontalEm = request.width * units / os2->xAvgCharWidth;
    }
    if (FT_Set_Char_Size(ft.face, std::lround(horizontalEm * 64), std::lround(em * 64), 72, 72) !=
        0) {
        return fail("FreeType cannot size " + font->file_);
    }
    const double scale = em / units;
    font->ascent_ = static_cast<int>(std::lround(ascentUnits * scale));
    font->lineHeight_ =
        request.height > 0 ? request.height : static_cast<int>(std::lround(cellUnits * scale));
    return font;
}

bool FontFace::render(char32_t codePoint, GlyphBitmap* out) {
    FT_Face face = ft_->face;
    const FT_UInt index = FT_Get_Char_Index(face, codePoint);
    const FT_Int32 target = antialiased_ ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | target) != 0) {
        return false;
    }
    FT_GlyphSlot slot = face->glyph;
    if (embolden_) {
        FT_GlyphSlot_Embolden(slot);
    }
    if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
        FT_Render_Glyph(slot, antialiased_ ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) {
        return false;
    }
    const FT_Bitmap& bitmap = slot->bitmap;
    GlyphBitmap glyph;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    glyph.coverage.resize(static_cast<std::size_t>(glyph.width) * glyph.rows);
    const int pitch = std::abs(bitmap.pitch);
    for (int y = 0; y < glyph.rows; ++y) {
        // A negative pitch stores the rows bottom up.
        const int row = bitmap.pitch >= 0 ? y : glyph.rows - 1 - y;
        const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * pitch;
        std::uint8_t* targetRow = glyph.coverage.data() + static_cast<std::size_t>(y) * glyph.width;
        for (int x = 0; x < glyph.width; ++x) {
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                targetRow[x] = (source[x >> 3] & (0x80 >> (x & 7))) != 0 ? 255 : 0;
            } else {
                targetRow[x] = source[x];
            }
        }
    }
    *out = std::move(glyph);
    return true;
}
