#include "resCheck.h"

#include "resPairs.h"

#include <nlohmann/json.hpp>

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>
#else
#include <openssl/evp.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

std::string sha256Hex(const char* data, size_t len)
{
    unsigned char md[32] = {};
#ifdef _WIN32
    BCRYPT_ALG_HANDLE alg = nullptr;
    if (BCryptOpenAlgorithmProvider(&alg, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0)
        return std::string();
    BCRYPT_HASH_HANDLE h = nullptr;
    bool ok = BCryptCreateHash(alg, &h, nullptr, 0, nullptr, 0, 0) == 0;
    ok = ok && BCryptHashData(h, reinterpret_cast<PUCHAR>(const_cast<char*>(data)), ULONG(len), 0) == 0 &&
         BCryptFinishHash(h, md, sizeof md, 0) == 0;
    if (h != nullptr)
        BCryptDestroyHash(h);
    BCryptCloseAlgorithmProvider(alg, 0);
    if (!ok)
        return std::string();
#else
    unsigned mdLen = 0;
    if (EVP_Digest(data, len, md, &mdLen, EVP_sha256(), nullptr) != 1 || mdLen != sizeof md)
        return std::string();
#endif
    std::string hex;
    char two[3];
    for (const unsigned char b : md) {
        std::snprintf(two, sizeof two, "%02x", b);
        hex += two;
    }
    return hex;
}

namespace {

// where the records begin, as the viewer reads them: a line whose first word
// is "[", then the record's six lines (a computer's name may begin with "[")
std::set<long long> recordStarts(const std::string& res)
{
    std::set<long long> starts;
    size_t at = 0;
    int skip = 0;
    while (at < res.size()) {
        size_t end = res.find('\n', at);
        if (end == std::string::npos)
            end = res.size();
        size_t k = at;
        while (k < end && (res[k] == ' ' || res[k] == '\t' || res[k] == '\r'))
            k++;
        size_t w = k;
        while (w < end && res[w] != ' ' && res[w] != '\t' && res[w] != '\r')
            w++;
        if (skip > 0) {
            skip--;
        } else if (w == k + 1 && res[k] == '[') {
            starts.insert((long long)at);
            skip = 6;
        }
        at = end + 1;
    }
    return starts;
}

void say(std::string* report, const char* fmt, long long a, long long b = 0)
{
    char line[200];
    std::snprintf(line, sizeof line, fmt, a, b);
    *report += line;
}

}  // namespace

bool checkResults(const char* folder, resCheck* out)
{
    const std::string dir = std::string(folder) + "/";
    std::string res, json;
    const bool haveRes = resPairs::readRegularFile(dir + "bench.res", &res);
    const bool haveJson = resPairs::readRegularFile(dir + "bench.json", &json);
    if (!haveRes && !haveJson)
        return false;
    const std::set<long long> starts = recordStarts(res);
    std::set<long long> named;
    const resPairs pairs(json, haveRes ? &res : nullptr,
                         haveRes ? resPairs::fileIdentity(dir + "bench.res") : std::string());
    for (const resPairs::line& l : pairs.lines()) {
        const long long n = l.number;
        switch (l.what) {
        case resPairs::blank:
            break;
        case resPairs::broken:
            out->broken++;
            say(&out->report, "bench.json line %lld: no JSON object\n", n);
            break;
        case resPairs::unnamed:
            out->unnamed++;
            say(&out->report, "bench.json line %lld: names no record\n", n);
            break;
        case resPairs::whole:
            out->whole++;
            named.insert(l.offset);
            say(&out->report,
                l.testClock ? "bench.json line %lld: whole, its record at byte %lld of bench.res (a test's fast "
                              "clock: no measurement, every reader leaves it out)\n"
                            : "bench.json line %lld: whole, its record at byte %lld of bench.res\n",
                n, l.offset);
            break;
        case resPairs::history:
            out->history++;
            say(&out->report, "bench.json line %lld: its record (byte %lld) was in an earlier bench.res\n", n,
                l.offset);
            break;
        case resPairs::orphan:
            out->orphans++;
            say(&out->report, "bench.json line %lld: orphan, its record is not at byte %lld of bench.res\n", n,
                l.offset);
            break;
        case resPairs::duplicate:
            out->duplicates++;
            say(&out->report, "bench.json line %lld: a duplicate of line %lld\n", n, l.sameAs);
            break;
        }
    }
    int recordNo = 0;
    for (const long long s : starts) {
        recordNo++;
        if (named.count(s) != 0) {
            say(&out->report, "bench.res record %lld: whole, at byte %lld\n", recordNo, s);
        } else {
            out->loneRecords++;
            say(&out->report, "bench.res record %lld: no JSON line names it (byte %lld)\n", recordNo, s);
        }
    }
    return true;
}
