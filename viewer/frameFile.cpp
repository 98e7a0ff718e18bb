#include "frameFile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

// the fields of one CSV line without quotes, as the benchmark writes them
std::vector<std::string> fieldsOf(const std::string& line)
{
    std::vector<std::string> f(1);
    for (const char c : line) {
        if (c == ',')
            f.emplace_back();
        else
            f.back() += c;
    }
    return f;
}

// a whole field as a finite number
bool numberOf(const std::string& s, double* v)
{
    if (s.empty() || s.size() > 40)
        return false;
    char* end = nullptr;
    *v = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && std::isfinite(*v);
}

// a text for a message line: no control characters
std::string printable(const std::string& s)
{
    std::string p = s;
    for (char& c : p)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return p;
}

// a row for a message, cut short
std::string rowText(const std::string& s)
{
    return "\"" + printable(s.substr(0, 40)) + (s.size() > 40 ? "...\"" : "\"");
}

}  // namespace

double frameFile::atPercentile(double p) const
{
    return percentileMs3D(sorted.data(), int(sorted.size()), p);
}

bool frameFile::load(const std::string& path, std::string* why)
{
    namespace fs = std::filesystem;
    const std::string shown = fs::path(path).filename().string();
    auto fail = [&, shownPath = printable(path)](long long row, const std::string& what) {
        *why = row > 0 ? shownPath + ": row " + std::to_string(row) + ": " + what : shownPath + ": " + what;
        return false;
    };
    std::error_code ec;
    const auto st = fs::status(path, ec);
    if (!fs::exists(st))
        return fail(0, "can't read it: " + (ec ? ec.message() : std::string("No such file or directory")));
    // only a regular file: a FIFO or a device would hang the read
    if (!fs::is_regular_file(st))
        return fail(0, "not a regular file");
    const auto size = fs::file_size(path, ec);
    if (ec)
        return fail(0, "can't read it: " + ec.message());
    if (size > std::uintmax_t(maxBytes))
        return fail(0, "more than " + std::to_string(maxBytes >> 20) + " MiB: no frame log");
    // the size is bounded above, and so is any line of it
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail(0, "can't read it");

    std::vector<double> ends;
    std::vector<float> times;
    int timeColumn = -1, endColumn = -1;
    size_t columns = 0;
    // rows are the file's lines, counted as an editor counts them
    long long row = 0;
    bool header = true;
    std::string line;
    while (std::getline(in, line)) {
        row++;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (line.size() > 1024)
            return fail(row, "a line of more than 1024 characters: no frame log");
        const std::vector<std::string> f = fieldsOf(line);
        if (header) {
            header = false;
            for (size_t k = 0; k < f.size(); k++) {
                if (f[k] == "frame_ms")
                    timeColumn = int(k);
                else if (f[k] == "since_first_ms")
                    endColumn = int(k);
            }
            if (timeColumn < 0 || endColumn < 0)
                return fail(row, "no frame_ms and since_first_ms columns in its header " + rowText(line));
            columns = f.size();
            continue;
        }
        if (f.size() != columns)
            return fail(row, std::to_string(f.size()) + " fields where the header names " +
                                 std::to_string(columns) + ": " + rowText(line));
        double end = 0.0, time = 0.0;
        if (!numberOf(f[size_t(endColumn)], &end) || !numberOf(f[size_t(timeColumn)], &time))
            return fail(row, "since_first_ms and frame_ms must be finite numbers: " + rowText(line));
        if (end < 0.0 || time < 0.0)
            return fail(row, "a negative time: " + rowText(line));
        if (!ends.empty() && end / 1000.0 < ends.back())
            return fail(row, "since_first_ms goes back in time: " + rowText(line));
        if (times.size() >= size_t(maxFrames))
            return fail(row, "more than " + std::to_string(maxFrames) + " frames: no frame log");
        ends.push_back(end / 1000.0);
        times.push_back(float(time));
    }
    if (in.bad())
        return fail(0, "can't read it");
    if (header)
        return fail(0, "empty: no frame log");
    if (times.empty())
        return fail(0, "a header and no frames");

    shownName = shown;
    endS = std::move(ends);
    ms = std::move(times);
    sorted.resize(ms.size());
    summary = frameStatsOf3D(ms.data(), frames(), sorted.data());
    std::reverse(sorted.begin(), sorted.end());
    return true;
}
