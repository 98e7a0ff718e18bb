// The pairs of a results folder: every JSON line of bench.json against the
// record it names in bench.res (its offset, length and SHA-256), and every
// record of bench.res against a JSON line naming it. A benchmark writes the
// JSON line first and the record second, so a run killed between the two
// leaves a JSON line whose record is not there: an orphan, left out.
#ifndef KORVA_RESCHECK_H
#define KORVA_RESCHECK_H

#include <string>

struct resCheck {
    int whole = 0;        // JSON lines whose record is there, byte for byte
    int orphans = 0;      // JSON lines whose record is not there
    int unnamed = 0;      // JSON lines that name no record (written before pairs were kept)
    int broken = 0;       // lines that are no JSON object
    int history = 0;      // JSON lines whose record was in an earlier bench.res (moved aside): results still
    int duplicates = 0;   // JSON lines naming the record an earlier line names
    int loneRecords = 0;  // records no JSON line names
    // one line for each JSON line and each record
    std::string report;
    bool allPaired() const { return orphans == 0 && broken == 0 && loneRecords == 0 && duplicates == 0; }
};

// Checks bench.res and bench.json in folder. @returns false when neither
// file can be read.
bool checkResults(const char* folder, resCheck* out);

// SHA-256 of len bytes as 64 lower-case hex digits.
std::string sha256Hex(const char* data, size_t len);

#endif
