#include "scanText.h"

#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>

bool tokenEquals(const char* s, size_t n, const char* word)
{
    return std::strlen(word) == n && std::memcmp(s, word, n) == 0;
}

void scanText::skipSpace()
{
    while (p < e && isSpace(*p))
        p++;
}

bool scanText::token(const char** tb, size_t* tn)
{
    skipSpace();
    if (p >= e)
        return false;
    const char* start = p;
    while (p < e && !isSpace(*p))
        p++;
    *tb = start;
    *tn = size_t(p - start);
    return true;
}

bool scanText::tokenIs(const char* word)
{
    const char* tb = nullptr;
    size_t tn = 0;
    return token(&tb, &tn) && tokenEquals(tb, tn, word);
}

bool scanText::literal(char c)
{
    if (p < e && *p == c) {
        p++;
        return true;
    }
    return false;
}

bool scanText::readInt(int* v)
{
    skipSpace();
    const char* q = p;
    bool neg = false;
    if (q < e && (*q == '+' || *q == '-')) {
        neg = *q == '-';
        q++;
    }
    if (q >= e || *q < '0' || *q > '9')
        return false;
    long long n = 0;
    while (q < e && *q >= '0' && *q <= '9') {
        if (n < 10000000000LL)
            n = n * 10 + (*q - '0');
        q++;
    }
    if (neg)
        n = -n;
    if (n > INT_MAX)
        n = INT_MAX;
    if (n < INT_MIN)
        n = INT_MIN;
    *v = int(n);
    p = q;
    return true;
}

bool scanText::readFloat(float* v)
{
    skipSpace();
    if (p >= e)
        return false;
    const char* q = p;
    if (*q == '+') {
        q++;
        if (q < e && (*q == '+' || *q == '-'))
            return false;
    }
    float f = 0.0f;
    const auto r = std::from_chars(q, e, f, std::chars_format::general);
    const bool hexLike = r.ptr < e && (*r.ptr == 'x' || *r.ptr == 'X');
    if (r.ec == std::errc() && !hexLike) {
        *v = f;
        p = r.ptr;
        return true;
    }
    // hexadecimal and out-of-range numbers: strtof has scanf's exact rules
    char buf[512];
    const size_t n = size_t(e - p) < sizeof buf - 1 ? size_t(e - p) : sizeof buf - 1;
    std::memcpy(buf, p, n);
    buf[n] = '\0';
    char* endp = nullptr;
    f = std::strtof(buf, &endp);
    if (endp == buf)
        return false;
    *v = f;
    p += endp - buf;
    return true;
}
