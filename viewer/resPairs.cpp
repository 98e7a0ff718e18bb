#include "resPairs.h"

#include "resCheck.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <unordered_set>

namespace {

// as much of bench.res before a record as its JSON line hashes
constexpr long long tailBytes = 4096;

}  // namespace

bool resPairs::readRegularFile(const std::string& path, std::string* out)
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

namespace {

// A line's object, or a discarded value where it is no JSON object or an
// object names a key twice: the parser would keep the last of two rates,
// another reader the first, so such a line is read by none.
nlohmann::json objectOf(const std::string& text)
{
    std::vector<std::unordered_set<std::string>> keys;
    bool twice = false;
    const nlohmann::json::parser_callback_t seen = [&keys, &twice](int, nlohmann::json::parse_event_t e,
                                                                    nlohmann::json& parsed) {
        using event = nlohmann::json::parse_event_t;
        if (e == event::object_start) {
            keys.emplace_back();
        } else if (e == event::object_end && !keys.empty()) {
            keys.pop_back();
        } else if (e == event::key && !keys.empty() && parsed.is_string()) {
            twice = !keys.back().insert(parsed.get_ref<const std::string&>()).second || twice;
        }
        return true;
    };
    nlohmann::json j = nlohmann::json::parse(text, seen, false);
    return twice ? nlohmann::json(nlohmann::json::value_t::discarded) : j;
}

std::string textOf(const nlohmann::json& j, const char* key)
{
    const auto it = j.find(key);
    return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}  // namespace

std::string resPairs::fileIdentity(const std::string& path)
{
    char id[64] = "";
#ifdef _WIN32
    const HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::string();
    BY_HANDLE_FILE_INFORMATION info = {};
    if (GetFileInformationByHandle(h, &info))
        std::snprintf(id, sizeof id, "%lu:%lu:%lu", (unsigned long)info.dwVolumeSerialNumber,
                      (unsigned long)info.nFileIndexHigh, (unsigned long)info.nFileIndexLow);
    CloseHandle(h);
#else
    struct stat st = {};
    if (stat(path.c_str(), &st) == 0)
        std::snprintf(id, sizeof id, "%llu:%llu", (unsigned long long)st.st_dev, (unsigned long long)st.st_ino);
#endif
    return id;
}

bool resPairs::testClockText(const char* autoInfo2)
{
    return std::strstr(autoInfo2, "TEST CLOCK x") != nullptr;
}

resPairs::resPairs(const std::string& json, const std::string* res, const std::string& resId)
{
    const std::string none;
    const std::string& r = res != nullptr ? *res : none;
    const long long size = (long long)r.size();
    // the first line naming each record, and the last line whose record is at each place
    std::map<std::string, int> named;
    std::map<long long, size_t> claimed;
    size_t at = 0;
    int number = 0;
    while (at < json.size()) {
        size_t end = json.find('\n', at);
        if (end == std::string::npos)
            end = json.size();
        line l;
        l.text = json.substr(at, end - at);
        l.number = ++number;
        at = end + 1;
        if (l.text.find_first_not_of(" \t\r") == std::string::npos) {
            all.push_back(std::move(l));
            continue;
        }
        l.value = objectOf(l.text);
        if (!l.value.is_object()) {
            l.what = broken;
            l.value = nlohmann::json();
            all.push_back(std::move(l));
            continue;
        }
        const auto rate = l.value.find("clock_rate");
        l.testClock = (rate != l.value.end() && rate->is_number() && rate->get<double>() > 1.0) ||
                      testClockText(textOf(l.value, "auto_info2").c_str());
        const auto offset = l.value.find("record_offset");
        const auto bytes = l.value.find("record_bytes");
        const std::string sha = textOf(l.value, "record_sha256");
        if (offset == l.value.end() || bytes == l.value.end() || !l.value.contains("record_sha256")) {
            l.what = unnamed;
            all.push_back(std::move(l));
            continue;
        }
        const long long o = offset->is_number_integer() ? offset->get<long long>() : -1;
        const long long n = bytes->is_number_integer() ? bytes->get<long long>() : -1;
        l.offset = o;
        const std::string id = textOf(l.value, "record_file_id");
        const std::string tail = textOf(l.value, "record_file_tail_sha256");
        const std::string key = std::to_string(o) + " " + sha + " " + id + " " + tail + " " + textOf(l.value, "time");
        const auto first = named.find(key);
        if (first != named.end()) {
            l.what = duplicate;
            l.sameAs = first->second;
            all.push_back(std::move(l));
            continue;
        }
        named[key] = l.number;
        // the bytes before the record are the ones its writer saw (where it says)
        const long long from = o > tailBytes ? o - tailBytes : 0;
        const bool tailHere = o >= 0 && o <= size && (tail.empty() || sha256Hex(r.data() + from, size_t(o - from)) == tail);
        if (tailHere && n > 0 && n <= size - o && !sha.empty() && sha256Hex(r.data() + o, size_t(n)) == sha) {
            l.what = whole;
            // a later line for the same place pairs with it: an earlier one's
            // record, byte for byte the same, was in an earlier bench.res
            const auto earlier = claimed.find(o);
            if (earlier != claimed.end())
                all[earlier->second].what = history;
            claimed[o] = all.size();
        } else {
            // an orphan only where the line provably names this very file: its
            // identity, and the bytes before the record are the ones it saw
            // (the identity alone could be a new file's that took a removed one's)
            const bool here = res != nullptr && !tail.empty() && tailHere && !id.empty() && id == resId;
            l.what = here ? orphan : history;
        }
        all.push_back(std::move(l));
    }
}

bool resPairs::readFile(const std::string& path, std::vector<line>* out)
{
    std::string json, res;
    if (!readRegularFile(path, &json))
        return false;
    const std::string resPath = (std::filesystem::path(path).parent_path() / "bench.res").string();
    const bool haveRes = readRegularFile(resPath, &res);
    const resPairs p(json, haveRes ? &res : nullptr, haveRes ? fileIdentity(resPath) : std::string());
    *out = p.all;
    return true;
}

bool resPairs::leftOut::take(const line& l)
{
    switch (l.what) {
    case broken:
        unreadable.push_back(l.number);
        return false;
    case orphan:
        orphans++;
        return false;
    case duplicate:
        duplicates++;
        return false;
    case blank:
        return false;
    default:
        if (l.testClock) {
            testClock++;
            return false;
        }
        return true;
    }
}

std::string resPairs::leftOut::text(const std::string& file) const
{
    std::string parts;
    const auto part = [&parts](const std::string& p) { parts += (parts.empty() ? "" : ", ") + p; };
    if (orphans > 0)
        part(std::to_string(orphans) + (orphans == 1 ? " orphan" : " orphans") + " (a run killed before its record)");
    if (duplicates > 0)
        part(std::to_string(duplicates) + (duplicates == 1 ? " duplicate" : " duplicates"));
    if (!unreadable.empty()) {
        std::string numbers;
        for (size_t i = 0; i < unreadable.size() && i < 5; i++)
            numbers += (i > 0 ? ", " : "") + std::to_string(unreadable[i]);
        part(std::to_string(unreadable.size()) + (unreadable.size() == 1 ? " unreadable line (" : " unreadable lines (") +
             numbers + (unreadable.size() > 5 ? ", ...)" : ")"));
    }
    if (testClock > 0)
        part(std::to_string(testClock) + (testClock == 1 ? " result" : " results") +
             " of a test's fast clock (no measurement)");
    return file + ": left out " + parts;
}
