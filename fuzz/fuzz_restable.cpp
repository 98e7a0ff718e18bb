// resview's command line on any file: the table shows no control
// character, the CSV parses as RFC 4180 with 22 fields a row (the record's nine, a JSON line's summary, time and settings), and the
// JSON parses. A broken promise aborts.
#include "resTable.h"

#include "fuzzFiles.h"
#include "fuzzText.h"

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
    const std::string text = fileText(out);
    std::fclose(out);
    std::fclose(err);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    fuzzEnterTempDir();
    fuzzWrite("f.res", data, size);
    if (!terminalSafe(run("--table")))
        std::abort();
    if (!csvRows(run("--csv"), 22))
        std::abort();
    const std::string json = run("--json");
    if (!json.empty() && !nlohmann::json::accept(json))
        std::abort();
    return 0;
}
