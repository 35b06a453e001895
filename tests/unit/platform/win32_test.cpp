#include "win32/win32.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

TEST(ResultCodes, HaveTheirWindowsValues) {
    EXPECT_EQ(static_cast<std::uint32_t>(E_FAIL), 0x80004005u);
    EXPECT_EQ(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)), 0x80070002u);
    EXPECT_TRUE(FAILED(E_FAIL));
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
    EXPECT_EQ(sizeof(LONG), 4u);
    EXPECT_EQ(sizeof(POINT), 8u);
}

TEST(Clock, TestsCanSetTheTime) {
    DWORD now = 1000;
    SetTimeSourceForTests([&] { return now; });
    EXPECT_EQ(timeGetTime(), 1000u);
    now = 0xFFFFFFFFu;
    EXPECT_EQ(timeGetTime(), 0xFFFFFFFFu);
    SetTimeSourceForTests({});
    const DWORD a = timeGetTime();
    Sleep(2);
    EXPECT_GE(timeGetTime() - a, 1u);
}

TEST(Paths, FollowTheWin32LengthConvention) {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const std::string expected = std::string(cwd) + "/data/road.bmp";

    char buffer[4096];
    char* filePart = nullptr;
    const DWORD length = GetFullPathNameA("data/road.bmp", sizeof buffer, buffer, &filePart);
    EXPECT_EQ(length, expected.size());
    EXPECT_EQ(std::string(buffer), expected);
    ASSERT_NE(filePart, nullptr);
    EXPECT_STREQ(filePart, "road.bmp");

    // Too small: the size needed (with the terminator) comes back and nothing is written.
    char small[4] = "abc";
    EXPECT_EQ(GetFullPathNameA("data/road.bmp", sizeof small, small, nullptr), expected.size() + 1);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(GetFullPathNameA("/abs/x.x", sizeof buffer, buffer, nullptr), 8u);
    EXPECT_EQ(GetFullPathNameA("", sizeof buffer, buffer, nullptr), 0u);

    EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), std::strlen(cwd));
    EXPECT_STREQ(buffer, cwd);
}

TEST(MessageBox, GoesThroughTheInstalledHandler) {
    std::string seenText;
    std::string seenCaption;
    UINT seenType = 0;
    auto previous =
        SetMessageBoxHandler([&](const std::string& text, const std::string& caption, UINT type) {
            seenText = text;
            seenCaption = caption;
            seenType = type;
            return IDCANCEL;
        });
    EXPECT_EQ(MessageBoxA(nullptr, "Error cannot read BMP file. \n a.bmp.", "Tumble Way",
                          MB_OK | MB_ICONERROR),
              IDCANCEL);
    EXPECT_EQ(seenText, "Error cannot read BMP file. \n a.bmp.");
    EXPECT_EQ(seenCaption, "Tumble Way");
    EXPECT_EQ(seenType, 16u);
    SetMessageBoxHandler(std::move(previous));
    EXPECT_EQ(MessageBoxA(nullptr, "to stderr", "x", MB_OK), IDOK);
}
