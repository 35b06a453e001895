// An engine whose asset search folder holds copies of the sample meshes, bitmaps and
// sounds, and which records the messages it shows.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/EngineFixture.h"

class AssetFixture : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 (std::string("tw-assets-") + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "data");
        const std::filesystem::path samples = std::filesystem::current_path() / "samples";
        for (const char* sub : {"meshes", "sounds", "bitmaps"}) {
            if (std::filesystem::exists(samples / sub)) {
                for (const auto& file : std::filesystem::directory_iterator(samples / sub)) {
                    std::filesystem::copy_file(file.path(),
                                               folder / "data" / file.path().filename());
                }
            }
        }
        app->assets.setSearchRoot(folder.string());
        SetMessageBoxHandler([this](const std::string& text, const std::string& caption, UINT) {
            messages.push_back(caption + ": " + text);
            return IDOK;
        });
    }

    void TearDown() override {
        SetMessageBoxHandler({});
        std::filesystem::remove_all(folder);
    }

    static LF_t fileRecord(const std::string& name) {
        LF_t file{};
        name.copy(file.name, sizeof file.name - 1);
        const std::string ext = name.substr(name.find_last_of('.') + 1);
        ext.copy(file.ext, sizeof file.ext - 1);
        return file;
    }

    static HTREEITEM treeItem(std::uintptr_t n) { return reinterpret_cast<HTREEITEM>(n); }

    std::filesystem::path folder;
    std::vector<std::string> messages;
};
