// Comparing a rendered picture with a stored golden one. TW_UPDATE_GOLDENS=1 writes the
// pictures instead (scripts/update-goldens); a failed comparison leaves the picture
// and a difference map beside the other render output for a person to look at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GoldenResult {
    bool matched = false;
    std::string message;
};

// Pixels are R G B A, rows from the top. A pixel matches when no colour channel differs
// by more than channelTolerance; the picture matches when at most allowedMismatch of its
// pixels do not (llvmpipe's rasterisation differs a little between versions).
GoldenResult compareWithGolden(const std::string& name, const std::vector<std::uint8_t>& pixels,
                               int width, int height, int channelTolerance = 24,
                               double allowedMismatch = 0.01);
