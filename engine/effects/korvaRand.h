// The pseudo-random sequence of glibc's srand/rand (the additive feedback
// generator of random(3), 31 words), reproduced so that seeded effects come
// out the same on every platform.
#ifndef KORVA_KORVARAND_H
#define KORVA_KORVARAND_H

#include <cstdint>

class korvaRand {
public:
    // the values lie in 0 .. randMax, a range of 2^31
    static constexpr int32_t randMax = 0x7fffffff;

    explicit korvaRand(uint32_t seed = 1) { srand(seed); }

    void srand(uint32_t seed)
    {
        int32_t r[34];
        // glibc maps seed 0 to 1
        r[0] = int32_t(seed == 0 ? 1 : seed);
        for (int i = 1; i < 31; i++) {
            // 16807 * r mod (2^31 - 1) without overflow (Schrage)
            const int32_t hi = r[i - 1] / 127773;
            const int32_t lo = r[i - 1] % 127773;
            int32_t word = 16807 * lo - 2836 * hi;
            if (word < 0)
                word += 2147483647;
            r[i] = word;
        }
        for (int i = 31; i < 34; i++)
            r[i] = r[i - 31];
        for (int i = 0; i < 34; i++)
            state[i % 34] = uint32_t(r[i]);
        pos = 34;
        // the first 310 outputs are thrown away
        for (int i = 0; i < 310; i++)
            next();
    }

    int32_t rand() { return int32_t(next() >> 1); }

private:
    uint32_t next()
    {
        // r[i] = r[i - 31] + r[i - 3], kept in a ring of 34
        const uint32_t v = state[(pos - 31) % 34] + state[(pos - 3) % 34];
        state[pos % 34] = v;
        // stay in 34 .. 67 so the ring arithmetic never wraps
        if (++pos >= 68)
            pos -= 34;
        return v;
    }

    uint32_t state[34] = {};
    uint32_t pos = 0;
};

#endif
