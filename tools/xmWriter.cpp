#include "xmWriter.h"

#include <cstdio>
#include <cstring>

namespace {

struct out {
    std::vector<uint8_t> b;
    void u8(int v) { b.push_back(uint8_t(v)); }
    void u16(int v)
    {
        u8(v & 0xff);
        u8((v >> 8) & 0xff);
    }
    void u32(uint32_t v)
    {
        u16(int(v & 0xffff));
        u16(int(v >> 16));
    }
    void text(const std::string& s, size_t n)
    {
        for (size_t i = 0; i < n; i++)
            u8(i < s.size() ? s[i] : 0);
    }
};

}  // namespace

std::vector<uint8_t> xmBytes(const xmSong& song)
{
    out o;
    o.text("Extended Module: ", 17);
    o.text(song.name, 20);
    o.u8(0x1a);
    o.text("Korvane music gen", 20);
    o.u16(0x0104);
    o.u32(276);
    o.u16(int(song.order.size()));
    o.u16(song.restart);
    o.u16(song.channels);
    o.u16(int(song.patterns.size()));
    o.u16(int(song.instruments.size()));
    o.u16(1);  // linear frequencies
    o.u16(song.speed);
    o.u16(song.bpm);
    for (int i = 0; i < 256; i++)
        o.u8(i < int(song.order.size()) ? song.order[size_t(i)] : 0);

    for (const xmPattern& p : song.patterns) {
        out data;
        for (int r = 0; r < p.rows; r++)
            for (int c = 0; c < p.channels; c++) {
                const xmCell& x = p.cells[size_t(r) * size_t(p.channels) + size_t(c)];
                // packed: a flag byte names the fields that follow
                const int mask = (x.note ? 1 : 0) | (x.instr ? 2 : 0) | (x.volume ? 4 : 0) | (x.effect ? 8 : 0) |
                                 (x.param ? 16 : 0);
                data.u8(0x80 | mask);
                if (x.note)
                    data.u8(x.note);
                if (x.instr)
                    data.u8(x.instr);
                if (x.volume)
                    data.u8(x.volume);
                if (x.effect)
                    data.u8(x.effect);
                if (x.param)
                    data.u8(x.param);
            }
        o.u32(9);
        o.u8(0);
        o.u16(p.rows);
        o.u16(int(data.b.size()));
        o.b.insert(o.b.end(), data.b.begin(), data.b.end());
    }

    for (const xmInstrument& in : song.instruments) {
        o.u32(263);
        o.text(in.name, 22);
        o.u8(0);
        o.u16(1);
        o.u32(40);
        for (int k = 0; k < 96; k++)
            o.u8(0);
        for (int k = 0; k < 12; k++) {
            const bool has = k < int(in.envelope.size());
            o.u16(has ? in.envelope[size_t(k)].first : 0);
            o.u16(has ? in.envelope[size_t(k)].second : 0);
        }
        for (int k = 0; k < 24; k++)
            o.u16(0);  // no panning envelope
        o.u8(int(in.envelope.size()));
        o.u8(0);
        o.u8(in.sustain >= 0 ? in.sustain : 0);
        o.u8(0);
        o.u8(0);
        o.u8(0);
        o.u8(0);
        o.u8(0);
        o.u8(in.envelope.empty() ? 0 : (1 | (in.sustain >= 0 ? 2 : 0)));
        o.u8(0);
        o.u8(0);  // vibrato: sine
        o.u8(0);
        o.u8(in.vibratoDepth);
        o.u8(in.vibratoRate);
        o.u16(in.fadeout);
        for (int k = 0; k < 22; k++)
            o.u8(0);
        // the sample header, lengths in bytes of 16-bit data
        o.u32(uint32_t(in.sample.size() * 2));
        o.u32(uint32_t(in.loopStart * 2));
        o.u32(uint32_t(in.loopLength * 2));
        o.u8(in.volume);
        o.u8(in.finetune & 0xff);
        o.u8((in.loopLength > 0 ? 1 : 0) | 0x10);
        o.u8(in.panning);
        o.u8(in.relativeNote & 0xff);
        o.u8(0);
        o.text(in.name, 22);
        // delta-coded samples
        int16_t prev = 0;
        for (int16_t s : in.sample) {
            o.u16(uint16_t(int16_t(s - prev)));
            prev = s;
        }
    }
    return o.b;
}

bool writeXm(const std::string& path, const xmSong& song)
{
    const std::vector<uint8_t> b = xmBytes(song);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && ok;
}
