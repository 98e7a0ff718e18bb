// The lines of a bench.json, each told what it is against the bench.res in
// its folder: a result whose record is there, one of an earlier bench.res
// (moved aside or replaced: history, still a result), an orphan (a run
// killed between its two writes: its record never came), a second line
// naming a record another names, or no JSON at all. Every reader reads
// results by these rules, and the check reports them.
#ifndef KORVA_RESPAIRS_H
#define KORVA_RESPAIRS_H

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

class resPairs {
public:
    enum kind {
        whole,      // names a record that is there, byte for byte
        history,    // names a record of another, earlier bench.res
        unnamed,    // names no record (written before pairs were kept)
        orphan,     // names a record of this bench.res that never came
        duplicate,  // names the record an earlier line names
        broken,     // no JSON object
        blank,      // nothing but blanks
    };
    struct line {
        kind what = blank;
        int number = 0;      // from 1
        int sameAs = 0;      // a duplicate's first line
        long long offset = -1;  // the record's byte in bench.res, where named
        bool testClock = false; // measured on a clock run fast for a test
        nlohmann::json value;
        std::string text;
    };

    // Reads the lines of jsonText; res: the text of the bench.res beside it
    // and its identity (fileIdentity), or null when there is none.
    resPairs(const std::string& jsonText, const std::string* res, const std::string& resId);

    // The bench.json at path read beside the bench.res of its folder.
    // @returns false when the file can't be read (a FIFO or a device is not).
    static bool readFile(const std::string& path, std::vector<line>* out);
    // Reads a whole regular file (a FIFO or a device would hang the read).
    // @returns false when it is no regular file or can't be read.
    static bool readRegularFile(const std::string& path, std::string* out);
    // The identity of a file (device and inode, or volume and index), as a
    // benchmark names it in bench.json; empty when unknown.
    static std::string fileIdentity(const std::string& path);
    // Whether a record's information text marks a run on a test's fast clock.
    static bool testClockText(const char* autoInfo2);

    const std::vector<line>& lines() const { return all; }

    // What a reader left out of a file, said in one line: "FILE: left out 1
    // orphan, 2 duplicates, 1 unreadable line (3), 2 results of a test clock".
    struct leftOut {
        int orphans = 0, duplicates = 0, testClock = 0;
        std::vector<int> unreadable;  // their line numbers
        bool any() const { return orphans + duplicates + testClock > 0 || !unreadable.empty(); }
        // Counts l when a reader leaves it out. @returns whether it is a result to read.
        bool take(const line& l);
        std::string text(const std::string& file) const;
    };

private:
    std::vector<line> all;
};

#endif
