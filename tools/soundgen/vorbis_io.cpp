// Ogg Vorbis encoding with libvorbisenc and decoding with libvorbisfile, both from memory.
#include "vorbis_io.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

namespace vorbis_io {

namespace {

void appendPage(std::string& out, const ogg_page& page) {
    out.append(reinterpret_cast<const char*>(page.header), page.header_len);
    out.append(reinterpret_cast<const char*>(page.body), page.body_len);
}

// Pulls every finished packet out of the encoder into pages.
void drain(vorbis_dsp_state& vd, vorbis_block& vb, ogg_stream_state& os, std::string& out) {
    ogg_packet op;
    ogg_page og;
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
        vorbis_analysis(&vb, nullptr);
        vorbis_bitrate_addblock(&vb);
        while (vorbis_bitrate_flushpacket(&vd, &op)) {
            ogg_stream_packetin(&os, &op);
            while (ogg_stream_pageout(&os, &og))
                appendPage(out, og);
        }
    }
}

struct MemReader {
    const std::string* bytes;
    size_t pos;
};

size_t memRead(void* dst, size_t size, size_t count, void* src) {
    auto* m = static_cast<MemReader*>(src);
    size_t want = size * count;
    size_t n = std::min(want, m->bytes->size() - m->pos);
    std::memcpy(dst, m->bytes->data() + m->pos, n);
    m->pos += n;
    return size ? n / size : 0;
}

}  // namespace

std::string encode(const synth::Buffer& pcm, float quality, int serial, const Tags& tags) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    std::string out;
    if (vorbis_encode_init_vbr(&vi, pcm.channels(), synth::kRate, quality) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    for (const auto& [key, value] : tags)
        vorbis_comment_add_tag(&vc, key.c_str(), value.c_str());

    vorbis_dsp_state vd;
    vorbis_block vb;
    ogg_stream_state os;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_init(&os, serial);

    ogg_packet header, headerComm, headerCode;
    vorbis_analysis_headerout(&vd, &vc, &header, &headerComm, &headerCode);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &headerComm);
    ogg_stream_packetin(&os, &headerCode);
    ogg_page og;
    // The headers get pages of their own so that audio starts on a fresh page.
    while (ogg_stream_flush(&os, &og))
        appendPage(out, og);

    const size_t kChunk = 1024;
    for (size_t at = 0; at < pcm.size(); at += kChunk) {
        size_t n = std::min(kChunk, pcm.size() - at);
        float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
        std::copy(pcm.l.begin() + at, pcm.l.begin() + at + n, buf[0]);
        if (pcm.stereo()) std::copy(pcm.r.begin() + at, pcm.r.begin() + at + n, buf[1]);
        vorbis_analysis_wrote(&vd, static_cast<int>(n));
        drain(vd, vb, os, out);
    }
    vorbis_analysis_wrote(&vd, 0);
    drain(vd, vb, os, out);
    while (ogg_stream_flush(&os, &og))
        appendPage(out, og);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

Decoded decode(const std::string& bytes) {
    Decoded d;
    MemReader reader{&bytes, 0};
    ov_callbacks cb{memRead, nullptr, nullptr, nullptr};
    OggVorbis_File vf;
    if (ov_open_callbacks(&reader, &vf, nullptr, 0, cb) != 0) return d;
    vorbis_info* vi = ov_info(&vf, -1);
    d.rate = static_cast<int>(vi->rate);
    const int channels = vi->channels;
    d.pcm = synth::Buffer(0, false);
    for (;;) {
        float** chans = nullptr;
        int section = 0;
        long n = ov_read_float(&vf, &chans, 4096, &section);
        if (n < 0) {
            ov_clear(&vf);
            return d;
        }
        if (n == 0) break;
        d.pcm.l.insert(d.pcm.l.end(), chans[0], chans[0] + n);
        if (channels > 1) d.pcm.r.insert(d.pcm.r.end(), chans[1], chans[1] + n);
    }
    ov_clear(&vf);
    d.ok = channels >= 1 && channels <= 2;
    return d;
}

}  // namespace vorbis_io
