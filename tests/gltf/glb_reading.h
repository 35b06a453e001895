#pragma once

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <vector>

// A .glb file taken apart as a reader takes it, checking its container on the way.
struct GlbParts {
    nlohmann::json document;
    std::vector<std::uint8_t> binary;

    // The values of a float or 32-bit index accessor, as floats.
    std::vector<float> values(int accessor) const {
        const nlohmann::json& a = document["accessors"][accessor];
        const nlohmann::json& view = document["bufferViews"][a["bufferView"].get<int>()];
        const std::size_t components = a["type"] == "VEC3" ? 3 : a["type"] == "VEC2" ? 2 : 1;
        const std::size_t count = a["count"].get<std::size_t>() * components;
        std::vector<float> out(count);
        const std::uint8_t* at = binary.data() + view["byteOffset"].get<std::size_t>();
        for (std::size_t i = 0; i < count; ++i) {
            if (a["componentType"] == 5126) {
                std::memcpy(&out[i], at + i * 4, 4);
            } else {
                std::uint32_t index = 0;
                std::memcpy(&index, at + i * 4, 4);
                out[i] = static_cast<float>(index);
            }
        }
        return out;
    }
};

inline std::uint32_t wordAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t word = 0;
    std::memcpy(&word, bytes.data() + at, 4);
    return word;
}

inline GlbParts readGlb(const std::vector<std::uint8_t>& bytes) {
    GlbParts parts;
    EXPECT_GE(bytes.size(), 20u);
    if (bytes.size() < 20) {
        return parts;
    }
    EXPECT_EQ(wordAt(bytes, 0), 0x46546C67u);
    EXPECT_EQ(wordAt(bytes, 4), 2u);
    EXPECT_EQ(wordAt(bytes, 8), bytes.size());
    const std::uint32_t jsonLength = wordAt(bytes, 12);
    EXPECT_EQ(wordAt(bytes, 16), 0x4E4F534Au);
    EXPECT_EQ(jsonLength % 4, 0u);
    parts.document = nlohmann::json::parse(bytes.begin() + 20, bytes.begin() + 20 + jsonLength);
    const std::size_t binAt = 20 + std::size_t{jsonLength};
    if (binAt < bytes.size()) {
        const std::uint32_t binLength = wordAt(bytes, binAt);
        EXPECT_EQ(wordAt(bytes, binAt + 4), 0x004E4942u);
        EXPECT_EQ(binLength % 4, 0u);
        EXPECT_EQ(binAt + 8 + binLength, bytes.size());
        EXPECT_EQ(parts.document["buffers"][0]["byteLength"].get<std::size_t>(), binLength);
        parts.binary.assign(bytes.begin() + static_cast<std::ptrdiff_t>(binAt + 8), bytes.end());
    }
    return parts;
}
