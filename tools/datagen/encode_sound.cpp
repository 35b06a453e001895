// Encodes a 16-bit wave as FLAC or OGG Vorbis, chosen by the output's extension, for
// the sample sounds (scripts/make-sounds). The same wave always gives the same bytes:
// FLAC through libsndfile, Vorbis through libvorbisenc with a fixed stream serial
// number (libsndfile would pick one from the clock).
//
//   encode_sound IN.wav OUT.flac|OUT.ogg
#include <ogg/ogg.h>
#include <sndfile.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

namespace {

constexpr int kVorbisSerial = 0x54570001;
constexpr float kVorbisQuality = 0.5f; // about 80 kbit/s per channel at 22050 Hz

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using Sndfile = std::unique_ptr<SNDFILE, SndfileCloser>;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct Wave {
    SF_INFO info{};
    std::vector<short> samples; // interleaved
};

bool readWave(const char* path, Wave* wave) {
    const Sndfile in(sf_open(path, SFM_READ, &wave->info));
    if (in == nullptr) {
        std::fprintf(stderr, "encode_sound: %s: %s\n", path, sf_strerror(nullptr));
        return false;
    }
    wave->samples.resize(static_cast<std::size_t>(wave->info.frames * wave->info.channels));
    return sf_readf_short(in.get(), wave->samples.data(), wave->info.frames) == wave->info.frames;
}

bool writeFlac(const char* path, const Wave& wave) {
    SF_INFO info = wave.info;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    const Sndfile out(sf_open(path, SFM_WRITE, &info));
    return out != nullptr &&
           sf_writef_short(out.get(), wave.samples.data(), wave.info.frames) == wave.info.frames;
}

// Everything libvorbis and libogg hold while encoding one stream, cleared in reverse.
class VorbisEncoder {
public:
    VorbisEncoder(const SF_INFO& info, std::FILE* out) : m_out(out) {
        vorbis_info_init(&m_info);
        m_ready =
            vorbis_encode_init_vbr(&m_info, info.channels, info.samplerate, kVorbisQuality) == 0;
        vorbis_comment_init(&m_comment);
        if (m_ready) {
            vorbis_analysis_init(&m_dsp, &m_info);
            vorbis_block_init(&m_dsp, &m_block);
            ogg_stream_init(&m_stream, kVorbisSerial);
        }
    }
    VorbisEncoder(const VorbisEncoder&) = delete;
    VorbisEncoder& operator=(const VorbisEncoder&) = delete;
    ~VorbisEncoder() {
        if (m_ready) {
            ogg_stream_clear(&m_stream);
            vorbis_block_clear(&m_block);
            vorbis_dsp_clear(&m_dsp);
        }
        vorbis_comment_clear(&m_comment);
        vorbis_info_clear(&m_info);
    }

    bool encode(const Wave& wave) {
        if (!m_ready || !writeHeaders()) {
            return false;
        }
        const int channels = wave.info.channels;
        const auto frames = static_cast<int>(wave.info.frames);
        constexpr int kBlock = 1024;
        for (int first = 0; first < frames; first += kBlock) {
            const int count = std::min(kBlock, frames - first);
            float** buffer = vorbis_analysis_buffer(&m_dsp, count);
            for (int i = 0; i < count; ++i) {
                for (int c = 0; c < channels; ++c) {
                    const auto index = static_cast<std::size_t>((first + i) * channels + c);
                    buffer[c][i] = wave.samples[index] / 32767.0f;
                }
            }
            vorbis_analysis_wrote(&m_dsp, count);
            if (!writeBlocks()) {
                return false;
            }
        }
        vorbis_analysis_wrote(&m_dsp, 0); // the end of the stream
        return writeBlocks() && flush();
    }

private:
    bool writeHeaders() {
        ogg_packet id{};
        ogg_packet comment{};
        ogg_packet codebooks{};
        vorbis_analysis_headerout(&m_dsp, &m_comment, &id, &comment, &codebooks);
        ogg_stream_packetin(&m_stream, &id);
        ogg_stream_packetin(&m_stream, &comment);
        ogg_stream_packetin(&m_stream, &codebooks);
        return flush();
    }

    bool writeBlocks() {
        while (vorbis_analysis_blockout(&m_dsp, &m_block) == 1) {
            vorbis_analysis(&m_block, nullptr);
            vorbis_bitrate_addblock(&m_block);
            ogg_packet packet{};
            while (vorbis_bitrate_flushpacket(&m_dsp, &packet) == 1) {
                ogg_stream_packetin(&m_stream, &packet);
                ogg_page page{};
                while (ogg_stream_pageout(&m_stream, &page) != 0) {
                    if (!writePage(page)) {
                        return false;
                    }
                }
            }
        }
        return true;
    }

    bool flush() {
        ogg_page page{};
        while (ogg_stream_flush(&m_stream, &page) != 0) {
            if (!writePage(page)) {
                return false;
            }
        }
        return true;
    }

    bool writePage(const ogg_page& page) {
        const auto header = static_cast<std::size_t>(page.header_len);
        const auto body = static_cast<std::size_t>(page.body_len);
        return std::fwrite(page.header, 1, header, m_out) == header &&
               std::fwrite(page.body, 1, body, m_out) == body;
    }

    std::FILE* m_out;
    vorbis_info m_info{};
    vorbis_comment m_comment{};
    vorbis_dsp_state m_dsp{};
    vorbis_block m_block{};
    ogg_stream_state m_stream{};
    bool m_ready = false;
};

bool writeVorbis(const char* path, const Wave& wave) {
    const std::unique_ptr<std::FILE, FileCloser> out(std::fopen(path, "wb"));
    if (out == nullptr) {
        return false;
    }
    VorbisEncoder encoder(wave.info, out.get());
    return encoder.encode(wave);
}

bool endsWith(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || !(endsWith(argv[2], ".flac") || endsWith(argv[2], ".ogg"))) {
        std::fprintf(stderr, "usage: encode_sound IN.wav OUT.flac|OUT.ogg\n");
        return 2;
    }
    Wave wave;
    if (!readWave(argv[1], &wave)) {
        return 1;
    }
    const bool written =
        endsWith(argv[2], ".flac") ? writeFlac(argv[2], wave) : writeVorbis(argv[2], wave);
    if (!written) {
        std::fprintf(stderr, "encode_sound: could not write %s\n", argv[2]);
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
