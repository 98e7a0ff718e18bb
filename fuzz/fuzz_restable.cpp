// resview's command line on any file: the table shows no control
// character, the CSV parses as RFC 4180 with 22 fields a row (the record's nine, a JSON line's summary, time and settings), and the
// JSON parses. A broken promise aborts.
#include "resTable.h"

#include "fuzzFiles.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string run(const char* format)
{
    char prog[] = "resview", fmt[32], file[] = "f.res";
    std::snprintf(fmt, sizeof fmt, "%s", format);
    char* argv[] = {prog, fmt, file, nullptr};
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr)
        std::abort();
    runTableCommand(3, argv, ".", out, err);
    std::string text;
    std::rewind(out);
    char buf[4096];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, out)) > 0)
        text.append(buf, n);
    std::fclose(out);
    std::fclose(err);
    return text;
}

// RFC 4180 rows of CRLF-ended lines; @returns false on a malformed field
bool csvRows(const std::string& s, int fields)
{
    size_t i = 0;
    while (i < s.size()) {
        int count = 0;
        for (;;) {
            count++;
            if (i < s.size() && s[i] == '"') {
                i++;
                for (;;) {
                    if (i >= s.size())
                        return false;
                    if (s[i] == '"' && i + 1 < s.size() && s[i + 1] == '"') {
                        i += 2;
                    } else if (s[i] == '"') {
                        i++;
                        break;
                    } else {
                        i++;
                    }
                }
            } else {
                while (i < s.size() && s[i] != ',' && s[i] != '\r' && s[i] != '\n') {
                    if (s[i] == '"')
                        return false;
                    i++;
                }
            }
            if (i < s.size() && s[i] == ',') {
                i++;
                continue;
            }
            break;
        }
        if (s.compare(i, 2, "\r\n") != 0 || count != fields)
            return false;
        i += 2;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    fuzzEnterTempDir();
    fuzzWrite("f.res", data, size);
    const std::string table = run("--table");
    for (const char c : table)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7f)
            std::abort();
    if (table.find("\xc2\x80") != std::string::npos || table.find("\xc2\x9b") != std::string::npos)
        std::abort();
    if (!csvRows(run("--csv"), 22))
        std::abort();
    const std::string json = run("--json");
    if (!json.empty() && !nlohmann::json::accept(json))
        std::abort();
    return 0;
}
