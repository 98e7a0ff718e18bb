// resview --compare on two files of any bytes (the first two bytes give the
// length of the first file, the rest is the second): its table and every
// message show no control character, its CSV parses as RFC 4180 with ten
// fields a row and no text a spreadsheet takes for a formula, its JSON
// parses, and it takes time linear in the input. A broken promise aborts.
#include "resCompare.h"

#include "fuzzFiles.h"
#include "fuzzText.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// the command's output and messages in one format ("" for the table)
void compare(const char* format, std::string* out, std::string* err)
{
    char prog[] = "resview", cmd[] = "--compare", a[] = "a.json", b[] = "b.json", fmt[16];
    std::snprintf(fmt, sizeof fmt, "%s", format);
    char* argv[] = {prog, cmd, a, b, fmt, nullptr};
    FILE* o = std::tmpfile();
    FILE* e = std::tmpfile();
    if (o == nullptr || e == nullptr)
        std::abort();
    runCompare(format[0] != '\0' ? 5 : 4, argv, ".", o, e);
    *out = fileText(o);
    *err = fileText(e);
    std::fclose(o);
    std::fclose(e);
}

// a CSV row's first field, unquoted: the benchmark, the only text of a result file
bool formulaFirst(const std::string& csv)
{
    for (size_t at = csv.find("\r\n"); at != std::string::npos && at + 2 < csv.size(); at = csv.find("\r\n", at + 2)) {
        size_t i = at + 2;
        if (csv[i] == '"')
            i++;
        const char c = csv[i];
        if (c == '=' || c == '+' || c == '-' || c == '@')
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    if (size < 2)
        return 0;
    fuzzEnterTempDir();
    const size_t first = std::min(size - 2, size_t(data[0]) | size_t(data[1]) << 8);
    fuzzWrite("a.json", data + 2, first);
    fuzzWrite("b.json", data + 2 + first, size - 2 - first);
    const auto start = std::chrono::steady_clock::now();
    std::string out, err;
    compare("", &out, &err);
    if (!terminalSafe(out) || !terminalSafe(err))
        std::abort();
    compare("--csv", &out, &err);
    if (!terminalSafe(err) || !csvRows(out, 10) || formulaFirst(out))
        std::abort();
    compare("--json", &out, &err);
    if (!terminalSafe(err) || (!out.empty() && !nlohmann::json::accept(out)))
        std::abort();
    // three runs of a few milliseconds, and a millisecond for every 50 bytes, sanitizers and all
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (ms > 2000.0 + double(size) / 50.0)
        std::abort();
    return 0;
}
