#include "resCheck.h"

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

bool readWhole(const std::string& path, std::string* out)
{
    // a FIFO or a device would hang the read
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    std::ifstream f(path, std::ios::binary);
    if (!f)
        return false;
    out->assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return !f.bad();
}

// where the records begin: a line whose first word is "[", as the viewer reads them
std::set<long long> recordStarts(const std::string& res)
{
    std::set<long long> starts;
    size_t at = 0;
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
        if (w == k + 1 && res[k] == '[')
            starts.insert((long long)at);
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
    const bool haveRes = readWhole(dir + "bench.res", &res);
    const bool haveJson = readWhole(dir + "bench.json", &json);
    if (!haveRes && !haveJson)
        return false;
    const std::set<long long> starts = recordStarts(res);
    std::set<long long> named;
    size_t at = 0;
    int lineNo = 0;
    while (at < json.size()) {
        size_t end = json.find('\n', at);
        if (end == std::string::npos)
            end = json.size();
        const std::string text = json.substr(at, end - at);
        at = end + 1;
        lineNo++;
        const nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
        if (!j.is_object()) {
            out->broken++;
            say(&out->report, "bench.json line %lld: no JSON object\n", lineNo);
            continue;
        }
        const auto offset = j.find("record_offset");
        const auto bytes = j.find("record_bytes");
        const auto sha = j.find("record_sha256");
        if (offset == j.end() || bytes == j.end() || sha == j.end()) {
            out->unnamed++;
            say(&out->report, "bench.json line %lld: names no record\n", lineNo);
            continue;
        }
        const long long o = offset->is_number_integer() ? offset->get<long long>() : -1;
        const long long n = bytes->is_number_integer() ? bytes->get<long long>() : -1;
        const bool there = o >= 0 && n > 0 && o <= (long long)res.size() && n <= (long long)res.size() - o &&
                           sha->is_string() && sha256Hex(res.data() + o, size_t(n)) == sha->get<std::string>();
        if (there) {
            out->whole++;
            named.insert(o);
            say(&out->report, "bench.json line %lld: whole, its record at byte %lld of bench.res\n", lineNo, o);
        } else {
            out->orphans++;
            say(&out->report, "bench.json line %lld: orphan, its record is not at byte %lld of bench.res\n", lineNo,
                o);
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
