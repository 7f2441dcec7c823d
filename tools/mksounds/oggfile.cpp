#include "oggfile.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "dsp.h"

namespace {

struct Encoder {
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    FILE* file = nullptr;

    ~Encoder() {
        ogg_stream_clear(&stream);
        vorbis_block_clear(&block);
        vorbis_dsp_clear(&dsp);
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
        if (file) std::fclose(file);
    }

    void writePage(const ogg_page& page) {
        std::fwrite(page.header, 1, size_t(page.header_len), file);
        std::fwrite(page.body, 1, size_t(page.body_len), file);
    }

    void drain() {
        ogg_packet packet;
        ogg_page page;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) writePage(page);
            }
        }
    }
};

}  // namespace

void writeOgg(const std::string& path, const Stereo& audio, const std::string& title) {
    Encoder enc;
    vorbis_info_init(&enc.info);
    if (vorbis_encode_init_vbr(&enc.info, 2, kRate, 0.4f) != 0) throw std::runtime_error("vorbis encoder setup failed");
    vorbis_comment_init(&enc.comment);
    vorbis_comment_add_tag(&enc.comment, "TITLE", title.c_str());
    vorbis_analysis_init(&enc.dsp, &enc.info);
    vorbis_block_init(&enc.dsp, &enc.block);
    ogg_stream_init(&enc.stream, 0x74617669);  // fixed serial keeps rebuilds byte-identical

    enc.file = std::fopen(path.c_str(), "wb");
    if (!enc.file) throw std::runtime_error(path + ": cannot write");

    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&enc.dsp, &enc.comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&enc.stream, &header);
    ogg_stream_packetin(&enc.stream, &headerComment);
    ogg_stream_packetin(&enc.stream, &headerCode);
    ogg_page page;
    while (ogg_stream_flush(&enc.stream, &page)) enc.writePage(page);

    const size_t chunk = 4096;
    for (size_t at = 0; at < audio.left.size(); at += chunk) {
        size_t n = std::min(chunk, audio.left.size() - at);
        float** buffer = vorbis_analysis_buffer(&enc.dsp, int(n));
        for (size_t i = 0; i < n; ++i) {
            buffer[0][i] = audio.left[at + i];
            buffer[1][i] = audio.right[at + i];
        }
        vorbis_analysis_wrote(&enc.dsp, int(n));
        enc.drain();
    }
    vorbis_analysis_wrote(&enc.dsp, 0);
    enc.drain();
    while (ogg_stream_flush(&enc.stream, &page)) enc.writePage(page);
    if (std::ferror(enc.file)) throw std::runtime_error(path + ": write failed");
}
