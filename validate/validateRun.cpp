#include "validateRun.h"

#include "driver3D.h"
#include "platform3D.h"
#include "validate3D.h"
#include "scene/fileCloser.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

struct session {
    const validateOptions* o;
    int passed = 0;
    int failed = 0;
    bool unreadable = false;
};

std::string inFolder(const std::string& dir, const std::string& name)
{
    return (std::filesystem::path(dir) / name).string();
}

bool grab(const validShot3D& shot, void* ctx)
{
    auto* s = static_cast<session*>(ctx);
    const int w = glEngine.getXres();
    const int h = glEngine.getYres();
    std::vector<unsigned char> back(size_t(w) * size_t(h) * 3);
    if (glEngine.readFrame(back.data()) != 1) {
        mainOut.prf("validate: the window system cannot read back the frame %s\n", shot.name);
        s->unreadable = true;
        return false;
    }
    const frameImage frame = frameImage::fromBottomUp(w, h, back.data());
    const std::string name = std::string(shot.name) + ".png";
    if (s->o->make) {
        const bool ok = frame.writePng(inFolder(s->o->references, name));
        mainOut.prf("validate %-12s %s\n", shot.name, ok ? "reference written" : "FAIL: can't write the reference");
        (ok ? s->passed : s->failed)++;
        return true;
    }
    frameImage ref;
    std::string why;
    bool pass = false;
    frameImage diff;
    if (!ref.readPng(inFolder(s->o->references, name), &why)) {
        mainOut.prf("validate %-12s FAIL: %s\n", shot.name, why.c_str());
    } else {
        const frameDiff d = compareFrames(ref, frame);
        pass = framePasses(d, s->o->limits);
        if (!d.sameSize)
            mainOut.prf("validate %-12s FAIL: the frame is %d x %d, its reference %d x %d\n", shot.name, w, h,
                        ref.width, ref.height);
        else
            mainOut.prf("validate %-12s mean %5.2f  far %6.3f %%  %s\n", shot.name, d.meanAbs, d.farShare * 100.0,
                        pass ? "pass" : "FAIL");
        if (!pass)
            diff = differenceImage(ref, frame);
    }
    // a failed frame is kept to be looked at, with its amplified difference where there is one
    if (!pass) {
        std::error_code ec;
        std::filesystem::create_directories(s->o->outDir, ec);
        const std::string stem = inFolder(s->o->outDir, shot.name);
        const bool kept = frame.writePng(stem + ".png") && (diff.rgb.empty() || diff.writePng(stem + "_diff.png"));
        if (!kept)
            mainOut.prf("validate: can't write the failed frame into %s\n", s->o->outDir.c_str());
    }
    (pass ? s->passed : s->failed)++;
    return true;
}

}  // namespace

int runValidation3D(const validateOptions& o)
{
    session s;
    s.o = &o;
    // which driver drew the frames, and which drew the references, in one line each
    const std::string drawer = std::string(gl3D::deviceText(GL_RENDERER)) + ", " + gl3D::deviceText(GL_VERSION);
    const std::string madeWith = inFolder(o.references, "made-with.txt");
    if (o.make) {
        std::error_code ec;
        std::filesystem::create_directories(o.references, ec);
        filePtr f(std::fopen(madeWith.c_str(), "w"));
        if (!f || std::fprintf(f.get(), "%s\n", drawer.c_str()) < 0) {
            mainOut.prf("validate: can't write %s\n", madeWith.c_str());
            return validFailed;
        }
    } else {
        char line[512] = "";
        filePtr f(std::fopen(madeWith.c_str(), "r"));
        if (f && std::fgets(line, sizeof line, f.get()) != nullptr)
            line[std::strcspn(line, "\r\n")] = '\0';
        mainOut.prf("validate: references made by %s\n", line[0] != '\0' ? line : "(not recorded)");
    }
    mainOut.prf("validate: frames drawn by %s\n", drawer.c_str());
    const auto t0 = std::chrono::steady_clock::now();
    const int frames = validateFlight3D(grab, &s);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    int shots = 0;
    validShots3D(&shots);
    if (s.unreadable) {
        mainOut.pr("validation not done: no frame could be read back\n");
        return validNoFrames;
    }
    const int missing = shots - s.passed - s.failed;
    if (frames < 0 && missing > 0)
        mainOut.prf("validate: the flight ended before its last %d frames\n", missing);
    mainOut.prf(o.make ? "validation %s: %d of %d references written, %d frames drawn in %.1f s\n"
                       : "validation %s: %d of %d frames pass, %d frames drawn in %.1f s\n",
                o.label, s.passed, shots,
                frames < 0 ? 0 : frames, seconds);
    return s.passed == shots ? validPassed : validFailed;
}

int validateClass3D(bool high, const validateOptions& base, int (*start)())
{
    loadBigTex = 0;
    saveBench = 0;
    runDemo = 0;
    runBenchNormal = high ? 0 : 1;
    runBenchHigh = high ? 1 : 0;
    validating3D = true;
    validateOptions o = base;
    const char* cls = high ? "high" : "normal";
    if (o.references.empty()) {
        // references/ stands beside data/ in every tree
        std::error_code ec;
        const std::filesystem::path data = std::filesystem::path(dataDir3D).parent_path();
        o.references = (std::filesystem::current_path(ec) / data.parent_path() / "references" / cls)
                           .lexically_normal()
                           .string();
    }
    if (o.label[0] == '\0')
        o.label = high ? "high detail" : "normal detail";
    if (start() != 1)
        return validNoFrames;
    return runValidation3D(o);
}
