// A font face found through fontconfig and rasterized by FreeType, sized the way GDI
// sizes fonts, handing out glyph coverage bitmaps.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct FontRequest {
    std::string family; // empty: from the pitch and family bits
    int height = 0;     // GDI's: > 0 cell height, < 0 em height, 0 default
    int width = 0;      // average character width, 0 for the face's own proportions
    int weight = 400;
    bool italic = false;
    bool antialiased = true;
    unsigned pitchAndFamily = 0;
};

struct GlyphBitmap {
    int width = 0;
    int rows = 0;
    int left = 0;                       // from the pen position to the bitmap's left edge
    int top = 0;                        // from the baseline up to the bitmap's top row
    int advance = 0;                    // pen movement, whole pixels
    std::vector<std::uint8_t> coverage; // rows top down, 0..255
};

class FontFace {
public:
    // Null, with the reason in *error, when no face can be found or loaded.
    static std::unique_ptr<FontFace> open(const FontRequest& request, std::string* error);
    ~FontFace();

    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // The file fontconfig chose, e.g. ".../LiberationSans-Bold.ttf".
    const std::string& file() const { return file_; }
    // From the top of a line to the baseline, and from line to line, in pixels.
    int ascent() const { return ascent_; }
    int lineHeight() const { return lineHeight_; }

    // The glyph of a code point (the face's missing-glyph box where it has none).
    [[nodiscard]] bool render(char32_t codePoint, GlyphBitmap* out);

private:
    struct FreeType;
    FontFace() = default;

    std::unique_ptr<FreeType> ft_;
    std::string file_;
    int ascent_ = 0;
    int lineHeight_ = 0;
    bool embolden_ = false;
    bool antialiased_ = true;
};
