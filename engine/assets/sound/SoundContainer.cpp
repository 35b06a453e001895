#include "assets/sound/SoundContainer.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <algorithm>
#include <cstring>

namespace {

// The Ogg and Vorbis state one look at the headers needs, freed in reverse.
class HeaderReader {
public:
    HeaderReader() {
        ogg_sync_init(&m_sync);
        vorbis_info_init(&m_info);
        vorbis_comment_init(&m_comment);
    }
    HeaderReader(const HeaderReader&) = delete;
    HeaderReader& operator=(const HeaderReader&) = delete;
    ~HeaderReader() {
        vorbis_comment_clear(&m_comment);
        vorbis_info_clear(&m_info);
        if (m_streamStarted) {
            ogg_stream_clear(&m_stream);
        }
        ogg_sync_clear(&m_sync);
    }

    // Hands the next bytes to the page reader; false when it has no room for them.
    bool feed(const BYTE* bytes, std::size_t count) {
        char* buffer = ogg_sync_buffer(&m_sync, static_cast<long>(count));
        if (buffer == nullptr) {
            return false;
        }
        std::memcpy(buffer, bytes, count);
        return ogg_sync_wrote(&m_sync, static_cast<long>(count)) == 0;
    }

    // Takes in the pages read so far; false when a packet is not the header libvorbis
    // expects next.
    bool readPages() {
        ogg_page page;
        while (m_headers < kHeaders && ogg_sync_pageout(&m_sync, &page) == 1) {
            if (!m_streamStarted) {
                ogg_stream_init(&m_stream, ogg_page_serialno(&page));
                m_streamStarted = true;
            }
            if (ogg_page_serialno(&page) != m_stream.serialno) {
                continue; // another logical stream, multiplexed with this one
            }
            if (ogg_stream_pagein(&m_stream, &page) != 0) {
                return false;
            }
            ogg_packet packet;
            while (m_headers < kHeaders && ogg_stream_packetout(&m_stream, &packet) == 1) {
                if (vorbis_synthesis_headerin(&m_info, &m_comment, &packet) != 0) {
                    return false;
                }
                ++m_headers;
            }
        }
        return true;
    }

    bool whole() const { return m_headers == kHeaders; }

private:
    static constexpr int kHeaders = 3;

    ogg_sync_state m_sync{};
    ogg_stream_state m_stream{};
    vorbis_info m_info{};
    vorbis_comment m_comment{};
    bool m_streamStarted = false;
    int m_headers = 0;
};

// Whether the Ogg stream that starts at `from` begins with the three Vorbis header
// packets (identification, comment, set-up), each one libvorbis accepts.
bool vorbisHeadersAreWhole(const std::vector<BYTE>& file, std::size_t from) {
    constexpr std::size_t kPiece = 64 * 1024;
    HeaderReader reader;
    for (std::size_t at = from; at < file.size() && !reader.whole();) {
        const std::size_t count = std::min(kPiece, file.size() - at);
        if (!reader.feed(file.data() + at, count) || !reader.readPages()) {
            return false;
        }
        at += count;
    }
    return reader.whole();
}

// Whether the bytes end with the last page of an Ogg stream, whole: a file cut at a page
// boundary decodes cleanly to a shorter sound, and only the missing end-of-stream mark
// tells. (The header's length cannot: it is read from the last page there is.)
bool endsWithLastOggPage(const std::vector<BYTE>& bytes) {
    constexpr std::size_t kHeader = 27;
    constexpr BYTE kEndOfStream = 0x04;
    for (std::size_t at = bytes.size() < kHeader ? 0 : bytes.size() - kHeader + 1; at-- > 0;) {
        if (std::memcmp(&bytes[at], "OggS", 4) != 0) {
            continue;
        }
        const std::size_t segments = bytes[at + 26];
        if (at + kHeader + segments > bytes.size()) {
            continue;
        }
        std::size_t length = kHeader + segments;
        for (std::size_t i = 0; i < segments; ++i) {
            length += bytes[at + kHeader + i];
        }
        if (at + length == bytes.size()) {
            return (bytes[at + 5] & kEndOfStream) != 0;
        }
    }
    return false;
}

// Where the audio starts after the ID3v2 tags some taggers put before it, skipped as
// the decoder skips them.
std::size_t afterId3Tags(const std::vector<BYTE>& bytes) {
    constexpr std::size_t kTagHeader = 10;
    constexpr BYTE kFooter = 0x10;
    std::size_t at = 0;
    while (bytes.size() - at >= kTagHeader && std::memcmp(&bytes[at], "ID3", 3) == 0) {
        std::size_t size = 0;
        for (std::size_t i = 6; i < kTagHeader; ++i) {
            size = (size << 7) | (bytes[at + i] & 0x7F);
        }
        at += kTagHeader + size + ((bytes[at + 5] & kFooter) != 0 ? kTagHeader : 0);
        if (at >= bytes.size()) {
            return bytes.size();
        }
    }
    return at;
}

} // namespace

bool isWholeOggVorbisOrFlac(const std::vector<BYTE>& file) {
    const std::size_t start = afterId3Tags(file);
    if (file.size() - start < 4) {
        return false;
    }
    if (std::memcmp(&file[start], "OggS", 4) == 0) {
        return vorbisHeadersAreWhole(file, start) && endsWithLastOggPage(file);
    }
    return std::memcmp(&file[start], "fLaC", 4) == 0;
}
