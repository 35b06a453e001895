#pragma once

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "tumbleway/tumbleway.h"

using Texts = std::vector<std::string>;

// Each test runs in a fresh temporary folder that is also the current directory (the
// readers open names relative to it), and collects its message boxes as
// "caption: text".
class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousDirectory_ = std::filesystem::current_path();
        folder = (std::filesystem::temp_directory_path() / "tw-files-XXXXXX").string();
        ASSERT_NE(::mkdtemp(folder.data()), nullptr);
        std::filesystem::current_path(folder);
        previousHandler_ = SetMessageBoxHandler(
            [this](const std::string& text, const std::string& caption, UINT type) {
                messages.push_back(caption + ": " + text);
                EXPECT_EQ(type, MB_OK | MB_ICONERROR) << text;
                return IDOK;
            });
    }
    void TearDown() override {
        SetMessageBoxHandler(std::move(previousHandler_));
        std::filesystem::current_path(previousDirectory_);
        std::filesystem::remove_all(folder);
    }

    std::string folder;
    Texts messages;

private:
    std::filesystem::path previousDirectory_;
    MessageBoxHandler previousHandler_;
};

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::ssize(bytes));
}

// Sorted names in a folder, to see that a save left nothing behind.
inline Texts folderEntries(const std::string& folder) {
    Texts names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// While alive, no file may grow beyond the given size: a write past it fails (EFBIG),
// which breaks a save off half-way even for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &limit_);
        previousSignal_ = std::signal(SIGXFSZ, SIG_IGN); // fail the write, not the process
        rlimit lowered = limit_;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &limit_);
        std::signal(SIGXFSZ, previousSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit limit_{};
    void (*previousSignal_)(int) = nullptr;
};

inline void setName(char (&field)[kNameFieldSize], const std::string& text) {
    std::memset(field, 0, kNameFieldSize);
    std::memcpy(field, text.data(), std::min<std::size_t>(text.size(), kNameFieldSize - 1));
}

// Two of every element; names with "%", markup characters, UTF-8 and the longest name
// a field holds; point indices counted from 0.
inline LSession_t fullScene() {
    const std::string longest(kNameFieldSize - 1, 'L');
    const std::string names[2] = {"rock %s %d %n.x", "k\xc3\xbcgel-\xe7\x90\x83.x"};
    LSession_t scene;
    for (int i = 0; i < 2; ++i) {
        const float f = static_cast<float>(i);
        setName(scene.meshes
                    .emplace_back(SessionXfile{
                        0, 0, -12.5f + f, 0.125f, 3000.75f * (f + 1), f - 0.5f, 1.25f + f, {}})
                    .name,
                names[i]);
        setName(scene.bitmaps.emplace_back(SessionBitmap{0, {}, 4 + f, -5, 6.5f}).name,
                i == 0 ? longest : "sign <&>.bmp");
        setName(scene.sounds.emplace_back().name, i == 0 ? "100%.wav" : longest);
        SessionRelation& relation = scene.relations.emplace_back();
        setName(relation.xfile1, names[i]);
        setName(relation.xfile2, i == 0 ? "0" : names[0]);
        setName(relation.wavfile, "\xe9\x9f\xb3.wav");
        scene.dottedPoints.push_back({i, 100 + f, 200.5f - f, 0, 0, false});
        scene.calculatedPoints.push_back({i, -1.75f * f, 2, 3 + f, 0.0625f, false});
    }
    return scene;
}

// One line per element the files carry, numbers exact, so that two scenes compare in
// one EXPECT_EQ and a failure shows the element that differs.
inline Texts describe(const LSession_t& s) {
    Texts lines;
    auto add = [&lines](const char* format, auto... values) {
        char line[512];
        std::snprintf(line, sizeof line, format, values...);
        lines.emplace_back(line);
    };
    for (const SessionXfile& m : s.meshes) {
        add("x [%s] %a %a %a %a %a", m.name, m.x, m.y, m.z, m.yaw, m.radius);
    }
    for (const SessionBitmap& b : s.bitmaps) {
        add("b [%s] %a %a %a", b.name, b.x, b.y, b.z);
    }
    for (const SessionSound& sound : s.sounds) {
        add("s [%s]", sound.name);
    }
    for (const SessionRelation& r : s.relations) {
        add("h [%s] [%s] [%s]", r.xfile1, r.xfile2, r.wavfile);
    }
    for (const LPoint_t& p : s.dottedPoints) {
        add("m %d %a %a %a %a", p.index, p.x, p.y, p.z, p.pitch);
    }
    for (const LPoint_t& p : s.calculatedPoints) {
        add("e %d %a %a %a %a", p.index, p.x, p.y, p.z, p.pitch);
    }
    return lines;
}
