#include "manifest3D.h"

#include "platform3D.h"
#include "scene/fileCloser.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

const char manifestName3D[] = "korvane.manifest";

namespace {

const char* const dataFiles[] = {"smltex.pac", "bigtex.pac", "deskobjs.pac", "ship.bre",   "cam.bre",
                                 "deskship.bre", "endship.bre", "endcam.bre", "sphere.bre"};
constexpr int dataFileCount = int(sizeof dataFiles / sizeof dataFiles[0]);
const char* const pathFiles[] = {"ship.bre", "cam.bre", "deskship.bre", "endship.bre", "endcam.bre", "sphere.bre"};

struct entry {
    long long size = -1;
    char hex[65] = {};
};

// what this process has hashed, by the file's real name, size and time of change: the
// packages are large, and a start hashes only what is new
struct hashed {
    std::string file;
    std::filesystem::file_time_type changed;
    entry e;
};
hashed hashCache[4 * dataFileCount];
int hashCount = 0;
int hashNext = 0;

bool hashOnce(const std::string& path, long long size, entry* out)
{
    std::error_code ec;
    const std::string file = std::filesystem::canonical(path, ec).string();
    const auto changed = std::filesystem::last_write_time(path, ec);
    const bool known = !ec;
    for (int i = 0; known && i < hashCount; i++)
        if (hashCache[i].file == file && hashCache[i].changed == changed && hashCache[i].e.size == size) {
            *out = hashCache[i].e;
            return true;
        }
    entry e;
    if (!hashFile3D(path.c_str(), e.hex, &e.size))
        return false;
    if (known) {
        constexpr int slots = int(sizeof hashCache / sizeof hashCache[0]);
        hashCache[hashNext] = {file, changed, e};
        hashNext = (hashNext + 1) % slots;
        hashCount = hashCount < slots ? hashCount + 1 : slots;
    }
    *out = e;
    return true;
}

bool isHex64(const char* s)
{
    if (std::strlen(s) != 64)
        return false;
    for (const char* p = s; *p; p++)
        if (!((*p >= '0' && *p <= '9') || (*p >= 'a' && *p <= 'f')))
            return false;
    return true;
}

// The manifest read once for a whole check: the first line of each data file's name,
// and the first line that does not read.
struct manifestFile {
    std::string path;
    bool opened = false;
    bool notRegular = false;  // a folder, a FIFO or a device in its place
    int damagedLine = 0;
    entry entries[dataFileCount];
    int lines[dataFileCount] = {};
};

void readManifest(const char* dataDir, manifestFile* m)
{
    m->path = std::string(dataDir) + manifestName3D;
    // a FIFO would hang the read, a folder reads as empty
    std::error_code ec;
    m->notRegular = std::filesystem::exists(m->path, ec) && !std::filesystem::is_regular_file(m->path, ec);
    filePtr f(m->notRegular ? nullptr : std::fopen(m->path.c_str(), "r"));
    m->opened = bool(f);
    char line[256];
    int number = 0;
    while (f && m->damagedLine == 0 && std::fgets(line, sizeof line, f.get()) != nullptr) {
        number++;
        if (line[0] == '#' || line[0] == '\n')
            continue;
        long long s = -1;
        char hex[80] = {};
        char file[80] = {};
        char rest[2] = {};
        if (std::sscanf(line, "%lld %79s %79s %1s", &s, hex, file, rest) != 3 || s < 0 || !isHex64(hex)) {
            m->damagedLine = number;
            break;
        }
        for (int k = 0; k < dataFileCount; k++)
            if (m->lines[k] == 0 && std::strcmp(file, dataFiles[k]) == 0) {
                m->lines[k] = number;
                m->entries[k].size = s;
                std::snprintf(m->entries[k].hex, sizeof m->entries[k].hex, "%s", hex);
            }
    }
}

// @returns the manifest's entry for name, or false with why filled
bool findEntry(const manifestFile& m, const char* name, entry* out, char* why, size_t size)
{
    if (m.notRegular) {
        std::snprintf(why, size, "data check: %s is not a regular file", m.path.c_str());
        return false;
    }
    if (!m.opened) {
        std::snprintf(why, size, "data check: no %s: these are not the build's data files", m.path.c_str());
        return false;
    }
    for (int k = 0; k < dataFileCount; k++)
        if (m.lines[k] != 0 && std::strcmp(dataFiles[k], name) == 0) {
            *out = m.entries[k];
            return true;
        }
    if (m.damagedLine != 0)
        std::snprintf(why, size, "data check: %s is damaged (line %d)", m.path.c_str(), m.damagedLine);
    else
        std::snprintf(why, size, "data check: %s has no entry for %s", m.path.c_str(), name);
    return false;
}

bool checkFile(const manifestFile& m, const char* dataDir, const char* name, char* why, size_t size)
{
    entry want;
    if (!findEntry(m, name, &want, why, size))
        return false;
    const std::string path = std::string(dataDir) + name;
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
        std::snprintf(why, size, "data check: %s is not a regular file", path.c_str());
        return false;
    }
    const auto have = std::filesystem::file_size(path, ec);
    if (ec) {
        std::snprintf(why, size, "data check: %s is missing", path.c_str());
        return false;
    }
    if ((long long)have != want.size) {
        std::snprintf(why, size, "data check: %s has %lld bytes, the data set's has %lld", path.c_str(),
                      (long long)have, want.size);
        return false;
    }
    entry got;
    if (!hashOnce(path, want.size, &got)) {
        std::snprintf(why, size, "data check: can't read %s", path.c_str());
        return false;
    }
    if (std::strcmp(got.hex, want.hex) != 0) {
        std::snprintf(why, size, "data check: %s differs from the data set's (SHA-256 %.16s..., expected %.16s...)",
                      path.c_str(), got.hex, want.hex);
        return false;
    }
    return true;
}

}  // namespace

bool writeManifest3D(const char* dataDir)
{
    std::string text = "# Korvane data set: size, SHA-256 and name of every package and path file\n";
    for (const char* name : dataFiles) {
        entry e;
        if (!hashFile3D((std::string(dataDir) + name).c_str(), e.hex, &e.size))
            return false;
        text += std::to_string(e.size) + " " + e.hex + " " + name + "\n";
    }
    const std::string path = std::string(dataDir) + manifestName3D;
    const std::string part = path + ".part";
    filePtr f(std::fopen(part.c_str(), "wb"));
    if (!f)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), f.get()) == text.size();
    if (std::fclose(f.release()) != 0 || !written)
        return false;
    std::error_code ec;
    std::filesystem::rename(part, path, ec);
    return !ec;
}

bool checkDataTree3D(const char* dataDir, bool bigTex, char* why, size_t size)
{
    manifestFile m;
    readManifest(dataDir, &m);
    if (!checkFile(m, dataDir, bigTex ? "bigtex.pac" : "smltex.pac", why, size))
        return false;
    for (const char* name : pathFiles)
        if (!checkFile(m, dataDir, name, why, size))
            return false;
    return true;
}

const char* manifestHash3D(const char* dataDir)
{
    static char hex[65];
    long long size = 0;
    if (!hashFile3D((std::string(dataDir) + manifestName3D).c_str(), hex, &size))
        hex[0] = '\0';
    return hex;
}
