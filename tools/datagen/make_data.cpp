// Paints the six fixed pictures the engine reads at start-up: the sky wrapped over
// the dome, the road, the striped edge and the grass that repeat once per strip
// row, and the two course-editor dots; and, when asked, the sample bitmaps.
// Usage: make_data <data folder> [<sample bitmaps folder>]
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <stb/stb_image_write.h>

namespace {

struct Image {
    int width;
    int height;
    std::vector<std::uint8_t> rgba;

    Image(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w) * h * 4, 255) {}

    void set(int x, int y, float r, float g, float b, float a = 1.0f) {
        auto clamp = [](float v) {
            return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f);
        };
        std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
        p[0] = clamp(r);
        p[1] = clamp(g);
        p[2] = clamp(b);
        p[3] = clamp(a);
    }
};

// Smooth value noise that tiles with the given period, so textures repeat seamlessly.
class TilingNoise {
public:
    TilingNoise(int period, unsigned seed) : m_period(period), m_values(period * period) {
        std::mt19937 random(seed);
        std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
        for (auto& v : m_values) {
            v = uniform(random);
        }
    }

    // x and y in cells; wraps every period cells.
    float at(float x, float y) const { return at(x, y, m_period); }

    // Several octaves, each twice as fine; u and v in [0, 1) tile. Each octave spans
    // a whole number of cells over [0, 1) and wraps at that number, so every octave,
    // not only the finest, meets itself at the picture's edges.
    float fractal(float u, float v, int octaves) const {
        float sum = 0;
        float weight = 0.5f;
        float total = 0;
        int cells = m_period >> (octaves - 1);
        for (int i = 0; i < octaves; ++i) {
            sum += weight * at(u * cells, v * cells, cells);
            total += weight;
            weight *= 0.5f;
            cells *= 2;
        }
        return sum / total;
    }

private:
    float at(float x, float y, int period) const {
        const int x0 = static_cast<int>(std::floor(x));
        const int y0 = static_cast<int>(std::floor(y));
        const float fx = smooth(x - x0);
        const float fy = smooth(y - y0);
        const float a = cell(x0, y0, period);
        const float b = cell(x0 + 1, y0, period);
        const float c = cell(x0, y0 + 1, period);
        const float d = cell(x0 + 1, y0 + 1, period);
        return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
    }

    static float smooth(float t) { return t * t * (3 - 2 * t); }
    float cell(int x, int y, int period) const {
        const int wx = ((x % period) + period) % period;
        const int wy = ((y % period) + period) % period;
        return m_values[static_cast<std::size_t>(wy) * m_period + wx];
    }

    int m_period;
    std::vector<float> m_values;
};

// The dome maps the picture's width to a full turn of azimuth and its height from the
// zenith (top) to 126 degrees below it (bottom); the horizon lies at 90/126 of the height.
Image paintSky() {
    Image image(1024, 512);
    const TilingNoise clouds(64, 7);
    const float horizon = 90.0f / 126.0f;
    for (int y = 0; y < image.height; ++y) {
        const float v = (y + 0.5f) / image.height;
        for (int x = 0; x < image.width; ++x) {
            const float u = (x + 0.5f) / image.width;
            float r;
            float g;
            float b;
            if (v < horizon) {
                const float t = v / horizon; // 0 at the zenith, 1 at the horizon
                r = 0.18f + 0.55f * t * t;
                g = 0.38f + 0.47f * t * t;
                b = 0.78f + 0.17f * t;
                // Clouds thicken toward the horizon.
                const float n = clouds.fractal(u, v * 0.5f, 6);
                const float cover = std::clamp((n - 0.47f) * 3.5f, 0.0f, 0.9f) * (0.3f + 0.7f * t);
                r = r * (1 - cover) + 0.97f * cover;
                g = g * (1 - cover) + 0.97f * cover;
                b = b * (1 - cover) + 0.99f * cover;
            } else {
                const float t = (v - horizon) / (1 - horizon); // below the horizon: haze
                r = 0.73f - 0.25f * t;
                g = 0.80f - 0.20f * t;
                b = 0.86f - 0.30f * t;
            }
            image.set(x, y, r, g, b);
        }
    }
    return image;
}

// Asphalt with a dashed centre line; u runs across the road, v along it.
Image paintRoad() {
    Image image(128, 128);
    const TilingNoise grain(32, 11);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const float n = grain.fractal((x + 0.5f) / 128, (y + 0.5f) / 128, 4);
            float grey = 0.30f + 0.16f * (n - 0.5f);
            const bool line = std::abs(x - 63.5f) < 2.0f && (y / 32) % 2 == 0;
            const bool border = x < 3 || x > 124;
            // The inner field is drawn with this picture but without texture
            // coordinates, so it takes the colour at the picture's corner: grass.
            const bool corner = (x == 0 || x == 127) && (y == 0 || y == 127);
            if (corner) {
                image.set(x, y, 0.24f, 0.52f, 0.17f);
                continue;
            }
            if (line || border) {
                grey = 0.92f;
            }
            image.set(x, y, grey, grey, grey * 1.02f);
        }
    }
    return image;
}

// Red and white kerb blocks along the road.
Image paintEdge() {
    Image image(64, 64);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const bool red = (y / 16) % 2 == 0;
            const float shade = 0.9f + 0.1f * std::cos((x / 63.0f) * 3.14159f);
            if (red) {
                image.set(x, y, 0.80f * shade, 0.12f * shade, 0.10f * shade);
            } else {
                image.set(x, y, 0.94f * shade, 0.94f * shade, 0.92f * shade);
            }
        }
    }
    return image;
}

Image paintGrass() {
    Image image(128, 128);
    const TilingNoise patches(16, 23);
    const TilingNoise blades(64, 29);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const float u = (x + 0.5f) / 128;
            const float v = (y + 0.5f) / 128;
            const float p = patches.fractal(u, v, 3);
            const float b = blades.at(u * 64, v * 64);
            image.set(x, y, 0.20f + 0.10f * p, 0.45f + 0.18f * p + 0.08f * (b - 0.5f),
                      0.14f + 0.05f * p);
        }
    }
    return image;
}

// A round dot with a soft rim and a transparent surround.
Image paintDot(float r, float g, float b) {
    Image image(64, 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const float d = std::hypot(x + 0.5f - 32.0f, y + 0.5f - 32.0f);
            const float alpha = std::clamp(30.0f - d, 0.0f, 1.0f);
            const float light = 1.0f - 0.45f * (d / 30.0f);
            image.set(x, y, r * light + 0.15f, g * light + 0.15f, b * light + 0.15f, alpha);
        }
    }
    return image;
}

// A fir tree on black: the billboards key opaque black out, so only the tree shows.
Image paintTree() {
    Image image(64, 128);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const float cx = std::abs(x + 0.5f - 32.0f);
            const bool trunk = y >= 108 && cx < 5;
            const float tier = static_cast<float>(y % 32) / 32.0f; // three stacked cones
            const bool crown =
                y < 108 && y > 4 && cx < (6 + 22 * tier) * (0.6f + 0.4f * y / 108.0f);
            if (trunk) {
                image.set(x, y, 0.40f, 0.25f, 0.12f);
            } else if (crown) {
                const float shade = 0.75f + 0.25f * (1 - cx / 28);
                image.set(x, y, 0.10f * shade, 0.45f * shade, 0.16f * shade);
            } else {
                image.set(x, y, 0, 0, 0);
            }
        }
    }
    return image;
}

// A chequered finish flag on a pole, on black.
Image paintFlag() {
    Image image(128, 64);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (x < 6) {
                image.set(x, y, 0.75f, 0.75f, 0.78f);
            } else if (y < 40) {
                const bool white = ((x - 6) / 10 + y / 10) % 2 == 0;
                const float v = white ? 0.97f : 0.12f;
                image.set(x, y, v, v, v);
            } else {
                image.set(x, y, 0, 0, 0);
            }
        }
    }
    return image;
}

// BMP files hold no alpha the engine wants; write them as 24-bit pictures.
bool writeBmp(const std::string& path, const Image& image) {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(static_cast<std::size_t>(image.width) * image.height * 3);
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        rgb.insert(rgb.end(), {image.rgba[i], image.rgba[i + 1], image.rgba[i + 2]});
    }
    return stbi_write_bmp(path.c_str(), image.width, image.height, 3, rgb.data()) != 0;
}

bool writePng(const std::string& path, const Image& image) {
    return stbi_write_png(path.c_str(), image.width, image.height, 4, image.rgba.data(),
                          image.width * 4) != 0;
}

bool writeJpg(const std::string& path, const Image& image) {
    return stbi_write_jpg(path.c_str(), image.width, image.height, 4, image.rgba.data(), 90) != 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s <data folder> [<sample bitmaps folder>]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok =
        writeJpg(dir + "/Env_Sky.jpg", paintSky()) && writeBmp(dir + "/road.bmp", paintRoad()) &&
        writeBmp(dir + "/edge.bmp", paintEdge()) && writeBmp(dir + "/field.bmp", paintGrass()) &&
        writePng(dir + "/dot_b.png", paintDot(0.15f, 0.35f, 0.95f)) &&
        writePng(dir + "/dot_g.png", paintDot(0.15f, 0.85f, 0.25f));
    if (!ok) {
        std::fprintf(stderr, "make_data: could not write into %s\n", dir.c_str());
        return 1;
    }
    if (argc == 3) {
        const std::string samples = argv[2];
        if (!writeBmp(samples + "/tree.bmp", paintTree()) ||
            !writeBmp(samples + "/flag.bmp", paintFlag())) {
            std::fprintf(stderr, "make_data: could not write into %s\n", samples.c_str());
            return 1;
        }
    }
    return 0;
}
