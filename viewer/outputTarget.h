// A file resview writes (a picture, later a page): never a result file, one
// of the command's own inputs or anything that is not a regular file, and
// written whole through a temporary file of its own beside it, renamed into
// place, so that a failure leaves the earlier file as it was.
#ifndef KORVA_OUTPUTTARGET_H
#define KORVA_OUTPUTTARGET_H

#include <cstdio>
#include <string>
#include <vector>

class outputTarget {
public:
    // Why path must not be written, or an empty text: a bench.res or
    // bench.json by name or by what a link leads to, one of inputs (by
    // identity), something that is not a regular file, or a file that does
    // not begin with signature (what this kind of file begins with; an
    // empty file is taken over; kind names what it is, "a PNG picture").
    static std::string refusal(const std::string& path, const std::vector<std::string>& inputs,
                               const std::string& signature, const char* kind);

    // Writes path through body into a temporary file "PATH.PID.tmp" made
    // for this write alone (exclusively: a planted file or link by that
    // name is never opened), then renames it over path. Temporaries of
    // writers that died before their rename go first.
    // @returns false with "can't write PATH: REASON" in why, path untouched.
    using bodyWriter = bool (*)(FILE* f, const void* what, std::string* why);
    static bool write(const std::string& path, bodyWriter body, const void* what, std::string* why);
};

#endif
