#include "mmio/mmio.h"

#include "sound_test_support.h"

#include <gtest/gtest.h>

using namespace soundtest;

namespace {

constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');

// Opens bytes as a memory file; the bytes must outlive the handle.
HMMIO openMemory(Bytes& bytes) {
    MMIOINFO info{};
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = reinterpret_cast<HPSTR>(bytes.data());
    info.cchBuffer = static_cast<LONG>(bytes.size());
    return mmioOpenA(nullptr, &info, MMIO_ALLOCBUF | MMIO_READ);
}

// RIFF WAVE holding: "fmt " (16), "LIST" "INFO" with an odd "ISFT" chunk (3 bytes + pad),
// "data" (6).
Bytes nestedFile() {
    const Bytes info = [] {
        Bytes b;
        putId(b, "INFO");
        const Bytes isft = chunk("ISFT", Bytes{'t', 'w', 0});
        b.insert(b.end(), isft.begin(), isft.end());
        return b;
    }();
    return riff("WAVE", {chunk("fmt ", fmtBody(1, 1, 22050, 16)), chunk("LIST", info),
                         chunk("data", Bytes{1, 2, 3, 4, 5, 6})});
}

class MmioBoth : public ::testing::TestWithParam<bool> {
protected:
    // The same bytes as a file on disk (param true) or as a memory file.
    HMMIO open(const Bytes& bytes) {
        m_bytes = bytes;
        if (GetParam()) {
            return mmioOpenA(m_dir.file("f.bin", bytes).c_str(), nullptr, MMIO_ALLOCBUF);
        }
        return openMemory(m_bytes);
    }

private:
    TempDir m_dir;
    Bytes m_bytes;
};

} // namespace

TEST_P(MmioBoth, WalksNestedChunksAndSkipsPadBytes) {
    HMMIO h = open(nestedFile());
    ASSERT_NE(h, nullptr);

    MMCKINFO riffCk{};
    riffCk.fccType = kWave;
    ASSERT_EQ(mmioDescend(h, &riffCk, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    EXPECT_EQ(riffCk.dwDataOffset, 8u);
    EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 12); // past the form type

    MMCKINFO list{};
    list.fccType = mmioFOURCC('I', 'N', 'F', 'O');
    ASSERT_EQ(mmioDescend(h, &list, &riffCk, MMIO_FINDLIST), MMSYSERR_NOERROR);
    MMCKINFO isft{};
    ASSERT_EQ(mmioDescend(h, &isft, &list, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(isft.ckid, mmioFOURCC('I', 'S', 'F', 'T'));
    EXPECT_EQ(isft.cksize, 3u);
    // Nothing else in the list: the search stays inside it rather than finding the
    // "data" chunk that follows the list.
    MMCKINFO data{};
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    ASSERT_EQ(mmioAscend(h, &isft, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioDescend(h, &data, &list, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    ASSERT_EQ(mmioAscend(h, &list, 0), MMSYSERR_NOERROR);

    ASSERT_EQ(mmioDescend(h, &data, &riffCk, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    char got[8] = {};
    EXPECT_EQ(mmioRead(h, got, sizeof got), 6); // the data chunk ends the file
    EXPECT_EQ(std::string(got, 6), std::string("\x01\x02\x03\x04\x05\x06"));
    EXPECT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
}

TEST_P(MmioBoth, RefusesChunksThatClaimMoreThanThereIs) {
    // The data chunk says 100 bytes; 6 follow.
    Bytes lying = riff("WAVE", {chunk("fmt ", fmtBody(1, 1, 22050, 16)),
                                chunk("data", Bytes{1, 2, 3, 4, 5, 6}, 100)});
    HMMIO h = open(lying);
    ASSERT_NE(h, nullptr);
    MMCKINFO riffCk{};
    ASSERT_EQ(mmioDescend(h, &riffCk, nullptr, 0), MMSYSERR_NOERROR);
    MMCKINFO data{};
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_EQ(mmioDescend(h, &data, &riffCk, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    // A failed search leaves the position where it started.
    EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 12);
    mmioClose(h, 0);

    // A chunk that overruns its parent (but not the file) is refused too, and so is a
    // search that would have to step over it.
    Bytes overrun = riff("WAVE", {chunk("JUNK", Bytes(4, 0), 200), chunk("data", Bytes(200, 1))});
    setU32(overrun, 4, 4 + 12); // the RIFF chunk ends after "JUNK"'s real bytes
    h = open(overrun);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(mmioDescend(h, &riffCk, nullptr, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioDescend(h, &data, &riffCk, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    MMCKINFO any{};
    EXPECT_EQ(mmioDescend(h, &any, &riffCk, 0), MMIOERR_CHUNKNOTFOUND);
    mmioClose(h, 0);

    // A RIFF chunk too small to hold its form type.
    Bytes tiny{'R', 'I', 'F', 'F', 2, 0, 0, 0, 'W', 'A'};
    h = open(tiny);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(mmioDescend(h, &riffCk, nullptr, 0), MMIOERR_CHUNKNOTFOUND);
    mmioClose(h, 0);
}

TEST_P(MmioBoth, BufferStateHandsOutTheBytesInOrder) {
    // More bytes than one default I/O buffer holds, so a file is refilled several times.
    const Bytes content = pattern(3 * MMIO_DEFAULTBUFFER + 123);
    HMMIO h = open(content);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(mmioSeek(h, 5, SEEK_SET), 5);

    MMIOINFO info{};
    ASSERT_EQ(mmioGetInfo(h, &info, 0), MMSYSERR_NOERROR);
    Bytes got;
    while (true) {
        if (info.pchNext == info.pchEndRead) {
            ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), MMSYSERR_NOERROR);
            if (info.pchNext == info.pchEndRead) {
                break; // the end of the file
            }
        }
        got.push_back(static_cast<BYTE>(*info.pchNext++));
        if (got.size() == 10000) {
            // Hand the state back in the middle; reading goes on from there.
            ASSERT_EQ(mmioSetInfo(h, &info, 0), MMSYSERR_NOERROR);
            EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 10005);
            ASSERT_EQ(mmioGetInfo(h, &info, 0), MMSYSERR_NOERROR);
        }
    }
    EXPECT_EQ(got, Bytes(content.begin() + 5, content.end()));

    // Only pchNext may move, and only within what the buffer holds.
    ASSERT_EQ(mmioSeek(h, 100, SEEK_SET), 100);
    ASSERT_EQ(mmioGetInfo(h, &info, 0), MMSYSERR_NOERROR);
    MMIOINFO bad = info;
    bad.pchNext = info.pchEndRead + 1;
    EXPECT_EQ(mmioSetInfo(h, &bad, 0), MMSYSERR_INVALPARAM);
    bad = info;
    bad.pchEndRead += 16;
    EXPECT_EQ(mmioSetInfo(h, &bad, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(mmioAdvance(h, &bad, MMIO_READ), MMSYSERR_INVALPARAM);
    EXPECT_EQ(mmioAdvance(h, &info, MMIO_WRITE), MMIOERR_CANNOTWRITE);
    mmioClose(h, 0);
}

TEST_P(MmioBoth, ReadAndSeekStayInsideTheFile) {
    const Bytes content = pattern(100);
    HMMIO h = open(content);
    ASSERT_NE(h, nullptr);
    char got[200];
    EXPECT_EQ(mmioSeek(h, 90, SEEK_SET), 90);
    EXPECT_EQ(mmioRead(h, got, 200), 10);
    EXPECT_EQ(static_cast<BYTE>(got[0]), content[90]);
    EXPECT_EQ(mmioRead(h, got, 1), 0);
    EXPECT_EQ(mmioSeek(h, 1, SEEK_END), -1);
    EXPECT_EQ(mmioSeek(h, -101, SEEK_END), -1);
    EXPECT_EQ(mmioSeek(h, 0, 7), -1);
    EXPECT_EQ(mmioSeek(h, -100, SEEK_END), 0);
    EXPECT_EQ(mmioRead(h, got, -1), -1);
    EXPECT_EQ(mmioRead(h, nullptr, 4), -1);
    MMCKINFO past{};
    past.dwDataOffset = 96;
    past.cksize = 8; // would end after the file
    EXPECT_EQ(mmioAscend(h, &past, 0), MMIOERR_CANNOTSEEK);
    // Ascending steps over the pad byte of an odd chunk...
    past.cksize = 3;
    EXPECT_EQ(mmioAscend(h, &past, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 100);
    past.dwDataOffset = 90;
    EXPECT_EQ(mmioAscend(h, &past, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 94);
    // ...which may be missing when the chunk ends the file.
    past.dwDataOffset = 97;
    EXPECT_EQ(mmioAscend(h, &past, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 100);
    mmioClose(h, 0);
}

INSTANTIATE_TEST_SUITE_P(FileAndMemory, MmioBoth, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "File" : "Memory"; });

TEST(Mmio, OpenFailsWithTheReasonAndClosedHandlesAreRefused) {
    MMIOINFO info{};
    EXPECT_EQ(mmioOpenA("/nonexistent/x.wav", &info, MMIO_ALLOCBUF), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);
    EXPECT_EQ(mmioOpenA("/tmp", &info, MMIO_ALLOCBUF), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_CANNOTOPEN);
    TempDir dir;
    const std::string path = dir.file("w.wav", pattern(10));
    EXPECT_EQ(mmioOpenA(path.c_str(), &info, MMIO_WRITE), nullptr);
    EXPECT_EQ(info.wErrorRet, MMSYSERR_NOTSUPPORTED);

    HMMIO h = mmioOpenA(path.c_str(), nullptr, MMIO_READ);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
    char c;
    EXPECT_EQ(mmioClose(h, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(mmioRead(h, &c, 1), -1);
    MMCKINFO ck{};
    EXPECT_EQ(mmioDescend(h, &ck, nullptr, 0), MMSYSERR_INVALHANDLE);
}
