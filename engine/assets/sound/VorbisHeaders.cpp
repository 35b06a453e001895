#include "assets/sound/VorbisHeaders.h"

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

} // namespace

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
