#include "musicGen.h"

#include "xmWriter.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr double rate = 22050.0;
constexpr double twoPi = 6.283185307179586;

// a sample of sample rate 22050 played at C-4 plays at its own speed
constexpr int relNote = 17;
constexpr int fineTune = -27;

struct noise {
    uint32_t s = 0x2545f491;
    double next()
    {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return double(s) / 2147483648.0 - 1.0;
    }
};

std::vector<int16_t> toPcm(const std::vector<double>& v, double gain)
{
    double peak = 1e-9;
    for (double x : v)
        peak = std::max(peak, std::fabs(x));
    std::vector<int16_t> out(v.size());
    for (size_t i = 0; i < v.size(); i++)
        out[i] = int16_t(std::lround(v[i] / peak * gain * 32000.0));
    return out;
}

xmInstrument base(const char* name)
{
    xmInstrument in;
    in.name = name;
    in.relativeNote = relNote;
    in.finetune = fineTune;
    return in;
}

xmInstrument kick()
{
    std::vector<double> v(size_t(rate * 0.45));
    double phase = 0.0;
    for (size_t i = 0; i < v.size(); i++) {
        const double t = double(i) / rate;
        const double f = 45.0 + 110.0 * std::exp(-t * 28.0);
        phase += twoPi * f / rate;
        // a short beater click, as much below the line as above it
        const double click = t < 0.004 ? std::sin(twoPi * 1800.0 * t) * (1.0 - t / 0.004) * 0.5 : 0.0;
        v[i] = (std::sin(phase) + click) * std::exp(-t * 7.0);
    }
    xmInstrument in = base("kick");
    in.sample = toPcm(v, 0.95);
    return in;
}

xmInstrument snare()
{
    std::vector<double> v(size_t(rate * 0.3));
    noise n;
    double low = 0.0, phase = 0.0;
    for (size_t i = 0; i < v.size(); i++) {
        const double t = double(i) / rate;
        const double x = n.next();
        low += (x - low) * 0.35;
        phase += twoPi * (185.0 - 40.0 * t) / rate;
        v[i] = (x - low * 0.5) * std::exp(-t * 16.0) * 0.8 + std::sin(phase) * std::exp(-t * 30.0) * 0.7;
    }
    xmInstrument in = base("snare");
    in.sample = toPcm(v, 0.85);
    return in;
}

xmInstrument hat(double length, double decay, const char* name)
{
    std::vector<double> v(size_t(rate * length));
    noise n;
    n.s = 0x9e3779b9;
    double prev = 0.0;
    for (size_t i = 0; i < v.size(); i++) {
        const double t = double(i) / rate;
        const double x = n.next();
        // a first difference keeps only the hiss
        v[i] = (x - prev) * std::exp(-t * decay);
        prev = x;
    }
    xmInstrument in = base(name);
    in.sample = toPcm(v, 0.5);
    in.panning = 150;
    return in;
}

// a looped tone of whole cycles over loopSeconds: partials of frequency
// harmonics of C-4 (261.63 Hz rounded to fit the loop) with detuned copies
xmInstrument tone(const char* name, const std::vector<double>& partials, const std::vector<double>& detune,
                  double brightness, double loopSeconds)
{
    const int n = int(rate * loopSeconds);
    const double step = rate / n;                          // frequencies that fit the loop exactly
    const double f0 = std::round(261.63 / step) * step;     // C-4
    std::vector<double> v(size_t(n), 0.0);
    for (size_t h = 0; h < partials.size(); h++) {
        for (double d : detune) {
            const double f = std::round(f0 * double(h + 1) * d / step) * step;
            if (f >= rate / 2)
                continue;
            const double amp = partials[h] * std::pow(brightness, double(h));
            const double ph = double(h) * 1.7 + d * 13.0;
            for (int i = 0; i < n; i++)
                v[size_t(i)] += amp * std::sin(twoPi * f * i / rate + ph);
        }
    }
    xmInstrument in = base(name);
    in.sample = toPcm(v, 0.8);
    in.loopStart = 0;
    in.loopLength = n;
    return in;
}

std::vector<double> sawPartials(int count)
{
    std::vector<double> p;
    for (int h = 1; h <= count; h++)
        p.push_back(1.0 / h);
    return p;
}

std::vector<double> squarePartials(int count)
{
    std::vector<double> p;
    for (int h = 1; h <= count; h++)
        p.push_back(h % 2 == 1 ? 1.0 / h : 0.08 / h);
    return p;
}

xmInstrument pluck()
{
    // a plucked string: a burst of noise ringing through a tuned delay (Karplus-Strong)
    const int period = int(std::round(rate / 261.63));
    std::vector<double> line(static_cast<size_t>(period));
    noise n;
    n.s = 12345;
    for (double& x : line)
        x = n.next();
    std::vector<double> v(size_t(rate * 0.9));
    size_t k = 0;
    for (double& x : v) {
        const double a = line[k % size_t(period)], b = line[(k + 1) % size_t(period)];
        x = a;
        line[k % size_t(period)] = (a + b) * 0.4985;
        k++;
    }
    xmInstrument in = base("pluck");
    in.sample = toPcm(v, 0.7);
    return in;
}

// note number of the XM scale: 1 = C-0; A-3 is 46
uint8_t note(int semitonesFromA3)
{
    return uint8_t(46 + semitonesFromA3);
}

void set(xmPattern& p, int row, int ch, uint8_t n, uint8_t instr, int vol)
{
    xmCell& c = p.at(row, ch);
    c.note = n;
    c.instr = instr;
    c.volume = uint8_t(0x10 + std::max(0, std::min(64, vol)));
}

// the parts a pattern can hold
enum part : unsigned {
    kDrums = 1,
    kKick = 2,
    kHats = 4,
    kBass = 8,
    kPad = 16,
    kArp = 32,
    kLead = 64,
    kLead2 = 128,
    kRoll = 256,
    kCrash = 512,
};

// A minor: Am - F - C - G, one bar each; voices as semitones from A-3
const int chordRoots[4] = {0, -4, 3, -2};
const int chordVoices[4][3] = {{0, 3, 7}, {-4, 0, 3}, {-9, -5, -2}, {-2, 2, 5}};
// the lead's melody over the four bars, 16 sixteenths a bar, -99 rest, in semitones from A-4 (12 above A-3)
const int melodyA[4][8] = {{0, -99, 3, 5, 7, -99, 5, 3},
                           {0, -99, -4, -2, 0, 3, -99, 0},
                           {3, -99, 7, 10, 12, 10, 7, -99},
                           {5, 3, 2, -99, -2, 0, 2, -99}};
const int melodyB[4][8] = {{12, -99, 10, 7, 10, -99, 12, 15},
                           {8, -99, 7, 5, 3, -99, 5, 7},
                           {7, -99, 10, 12, 15, 12, 10, 7},
                           {5, -99, 7, 10, 14, 12, 10, -99}};

xmPattern makePattern(unsigned parts, int channels)
{
    xmPattern p;
    p.rows = 64;
    p.channels = channels;
    p.cells.assign(size_t(64) * size_t(channels), xmCell{});
    for (int bar = 0; bar < 4; bar++) {
        const int r0 = bar * 16;
        const int root = chordRoots[bar];
        if (parts & kCrash && bar == 0)
            set(p, 0, 9, note(12), 6, 40);
        for (int s = 0; s < 16; s++) {
            const int r = r0 + s;
            if ((parts & (kDrums | kKick)) && (s % 4 == 0 || (parts & kDrums && s == 14 && bar == 3)))
                set(p, r, 0, note(-9), 1, 64);
            if ((parts & kDrums) && (s == 4 || s == 12))
                set(p, r, 1, note(-9), 2, 56);
            if ((parts & kRoll) && bar >= 2 && s % (bar == 3 ? 1 : 2) == 0)
                set(p, r, 1, note(-9), 2, 20 + (bar - 2) * 16 + s * 2);
            if (parts & kHats) {
                if (s % 2 == 0)
                    set(p, r, 2, note(3), s % 4 == 2 ? 4 : 3, s % 4 == 2 ? 34 : 24);
            }
            if ((parts & kBass) && s % 2 == 0) {
                // eighths on the root with an octave jump on the offbeats
                const int oct = (s % 4 == 2) ? 12 : 0;
                set(p, r, 3, note(root - 24 + oct), 5, s % 4 == 0 ? 60 : 44);
            }
            if (parts & kArp) {
                const int v = chordVoices[bar][s % 3] + ((s / 3) % 2) * 12;
                set(p, r, 8, note(v + 12), 8, s % 2 == 0 ? 40 : 26);
            }
            if ((parts & (kLead | kLead2)) && s % 2 == 0) {
                const int m = (parts & kLead2) ? melodyB[bar][s / 2] : melodyA[bar][s / 2];
                if (m != -99)
                    set(p, r, 7, note(m + 12), 7, 50);
            }
        }
        if (parts & kPad)
            for (int v = 0; v < 3; v++)
                set(p, r0, 4 + v, note(chordVoices[bar][v]), 9, 36);
    }
    return p;
}

xmSong compose(const std::vector<unsigned>& arrangement, int restart, const char* name)
{
    xmSong s;
    s.name = name;
    s.channels = 10;
    s.speed = 6;
    s.bpm = 125;
    s.restart = restart;
    // 1 kick, 2 snare, 3 closed hat, 4 open hat, 5 bass, 6 crash, 7 lead, 8 pluck, 9 pad
    s.instruments.push_back(kick());
    s.instruments.push_back(snare());
    s.instruments.push_back(hat(0.06, 70.0, "closed hat"));
    s.instruments.push_back(hat(0.35, 9.0, "open hat"));
    {
        xmInstrument bass = tone("bass", sawPartials(14), {1.0, 1.003}, 0.78, 0.5);
        bass.envelope = {{0, 64}, {6, 40}, {14, 28}};
        bass.sustain = 2;
        bass.fadeout = 2000;
        bass.volume = 56;
        s.instruments.push_back(bass);
    }
    s.instruments.push_back(hat(1.2, 2.8, "crash"));
    {
        xmInstrument lead = tone("lead", squarePartials(15), {0.998, 1.002}, 0.9, 0.5);
        lead.envelope = {{0, 0}, {2, 64}, {12, 48}, {40, 40}};
        lead.sustain = 3;
        lead.fadeout = 1200;
        lead.volume = 44;
        lead.vibratoDepth = 6;
        lead.vibratoRate = 12;
        lead.panning = 150;
        s.instruments.push_back(lead);
    }
    s.instruments.push_back(pluck());
    {
        // the pad swells slowly and fades slowly
        xmInstrument pad = tone("pad", sawPartials(10), {0.994, 1.0, 1.006}, 0.82, 1.0);
        pad.envelope = {{0, 0}, {40, 44}, {80, 64}, {200, 50}};
        pad.sustain = 2;
        pad.fadeout = 600;
        pad.volume = 40;
        pad.panning = 110;
        s.instruments.push_back(pad);
    }

    for (unsigned parts : arrangement) {
        s.order.push_back(int(s.patterns.size()));
        s.patterns.push_back(makePattern(parts, s.channels));
    }
    return s;
}

}  // namespace

bool writeMusic(const std::string& dir)
{
    const unsigned intro = kPad | kHats;
    const unsigned intro2 = kPad | kHats | kKick | kArp;
    const unsigned verse = kDrums | kHats | kBass | kPad;
    const unsigned verseArp = verse | kArp;
    const unsigned leadA = verse | kLead | kCrash;
    const unsigned leadB = verse | kLead2 | kArp;
    const unsigned breakdown = kPad | kArp;
    const unsigned build = kKick | kRoll | kBass | kPad;
    // about three minutes: 24 patterns of 7.68 s, looping back to the first verse
    const std::vector<unsigned> demo = {intro,  intro2, verse,     verseArp, leadA,  leadB, leadA, leadB,
                                        breakdown, build, verse | kCrash, verseArp, leadA, leadB, verseArp, leadA,
                                        breakdown, breakdown | kHats, build, leadA, leadB, leadA, leadB, intro2};
    const std::vector<unsigned> shortSong = {intro, intro2, breakdown, build | kHats};
    return writeXm(dir + "/celesfnt.mus", compose(demo, 2, "Korvane city")) &&
           writeXm(dir + "/intro.mus", compose(shortSong, 0, "Korvane intro"));
}
