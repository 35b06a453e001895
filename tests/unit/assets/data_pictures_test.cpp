// The fixed pictures in data/ are repeated where they are drawn: the sky once round the
// dome, the road and the grass once per strip row. Where a picture does not meet itself
// its repeats show a seam, so the step from its last column (or row) to its first must
// be no larger than the steps inside it.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <stb/stb_image.h>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> rgb{nullptr, &stbi_image_free};

    int at(int x, int y, int channel) const { return rgb.get()[(y * width + x) * 3 + channel]; }
};

Picture load(const std::string& path) {
    Picture picture;
    int channels = 0;
    picture.rgb.reset(stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 3));
    return picture;
}

// A stretch of the picture across which it repeats: columns (or rows) from `from` up to
// `to` of the other direction are compared.
struct Stretch {
    int from;
    int to;
};

// The mean difference of the colours of columns a and b over the stretch of rows.
double columnStep(const Picture& p, int a, int b, Stretch rows) {
    double sum = 0;
    for (int y = rows.from; y < rows.to; ++y) {
        for (int c = 0; c < 3; ++c) {
            sum += std::abs(p.at(a, y, c) - p.at(b, y, c));
        }
    }
    return sum / (3.0 * (rows.to - rows.from));
}

double rowStep(const Picture& p, int a, int b, Stretch columns) {
    double sum = 0;
    for (int x = columns.from; x < columns.to; ++x) {
        for (int c = 0; c < 3; ++c) {
            sum += std::abs(p.at(x, a, c) - p.at(x, b, c));
        }
    }
    return sum / (3.0 * (columns.to - columns.from));
}

void expectColumnsRepeat(const Picture& p, Stretch rows) {
    double inner = 0;
    for (int x = 0; x + 1 < p.width; ++x) {
        inner = std::max(inner, columnStep(p, x, x + 1, rows));
    }
    EXPECT_LE(columnStep(p, p.width - 1, 0, rows), inner);
}

void expectRowsRepeat(const Picture& p, Stretch columns) {
    double inner = 0;
    for (int y = 0; y + 1 < p.height; ++y) {
        inner = std::max(inner, rowStep(p, y, y + 1, columns));
    }
    EXPECT_LE(rowStep(p, p.height - 1, 0, columns), inner);
}

} // namespace

TEST(DataPictures, TheSkyMeetsItselfRoundTheDome) {
    const Picture sky = load("data/Env_Sky.jpg");
    ASSERT_TRUE(sky.rgb) << stbi_failure_reason();
    expectColumnsRepeat(sky, {0, sky.height});
}

TEST(DataPictures, RoadAndGrassMeetThemselvesFromRowToRow) {
    const Picture road = load("data/road.bmp");
    ASSERT_TRUE(road.rgb) << stbi_failure_reason();
    // The asphalt left of the dashed centre line: the dashes start and stop inside the
    // picture as well as at its edge.
    expectRowsRepeat(road, {8, road.width / 2 - 8});

    // Neighbouring grass strips meet where one's picture ends across and the next's
    // begins.
    const Picture grass = load("data/field.bmp");
    ASSERT_TRUE(grass.rgb) << stbi_failure_reason();
    expectRowsRepeat(grass, {0, grass.width});
    expectColumnsRepeat(grass, {0, grass.height});
}
