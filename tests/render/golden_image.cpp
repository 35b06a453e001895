#include "golden_image.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

namespace {

namespace fs = std::filesystem;

fs::path goldenFolder() {
    return fs::path(TW_GOLDEN_DIR);
}

fs::path outputFolder() {
    const char* env = std::getenv("TW_RENDER_OUTPUT");
    const fs::path folder =
        env != nullptr ? fs::path(env) : fs::temp_directory_path() / "tumbleway-render";
    fs::create_directories(folder);
    return folder;
}

bool writePng(const fs::path& path, const std::vector<std::uint8_t>& pixels, int width,
              int height) {
    std::vector<std::uint8_t> opaque = pixels;
    for (std::size_t i = 3; i < opaque.size(); i += 4) {
        opaque[i] = 255;
    }
    return stbi_write_png(path.c_str(), width, height, 4, opaque.data(), width * 4) != 0;
}

} // namespace

GoldenResult compareWithGolden(const std::string& name, const std::vector<std::uint8_t>& pixels,
                               int width, int height, int channelTolerance,
                               double allowedMismatch) {
    const fs::path golden = goldenFolder() / (name + ".png");
    const char* update = std::getenv("TW_UPDATE_GOLDENS");
    if (update != nullptr && std::string(update) == "1") {
        return {writePng(golden, pixels, width, height), "golden written: " + golden.string()};
    }
    writePng(outputFolder() / (name + ".png"), pixels, width, height);
    int w = 0;
    int h = 0;
    int channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> expected(
        stbi_load(golden.c_str(), &w, &h, &channels, 4), stbi_image_free);
    if (!expected) {
        return {false, "no golden picture " + golden.string() + " (run scripts/update-goldens)"};
    }
    if (w != width || h != height) {
        return {false, "golden " + golden.string() + " has another size"};
    }
    std::vector<std::uint8_t> difference(pixels.size(), 0);
    long mismatched = 0;
    for (std::size_t p = 0; p < pixels.size(); p += 4) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            worst = std::max(worst, std::abs(int(pixels[p + c]) - int(expected.get()[p + c])));
        }
        if (worst > channelTolerance) {
            ++mismatched;
            difference[p] = 255;
        }
        difference[p + 3] = 255;
    }
    const double share = static_cast<double>(mismatched) / (static_cast<double>(width) * height);
    if (share > allowedMismatch) {
        writePng(outputFolder() / (name + "-difference.png"), difference, width, height);
        return {false, name + ": " + std::to_string(mismatched) +
                           " pixels differ from the golden (" + std::to_string(share * 100) +
                           "%); see " + outputFolder().string()};
    }
    return {true, {}};
}
