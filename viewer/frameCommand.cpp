#include "frameCommand.h"

#include "framePlot.h"
#include "outputTarget.h"
#include "resTable.h"
#ifndef _WIN32
#include "plotCairo.h"
#endif

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
// the Windows build draws through its toolkit, and sets this at start
picturePngWriter framePngWriter = nullptr;
#else
picturePngWriter framePngWriter = writePicturePngCairo;
#endif

namespace {

// WIDTHxHEIGHT, digits only
bool sizeOf(const char* t, int* w, int* h)
{
    const char* x = std::strchr(t, 'x');
    if (x == nullptr || x == t || x[1] == '\0' || std::strspn(t, "0123456789") != size_t(x - t) ||
        std::strspn(x + 1, "0123456789") != std::strlen(x + 1) || x - t > 5 || std::strlen(x + 1) > 5)
        return false;
    *w = std::atoi(t);
    *h = std::atoi(x + 1);
    return true;
}

}  // namespace

int parseFramesOptions(int argc, char** argv, framesOptions* o, FILE* err)
{
    bool frames = false, sized = false;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "--frames") {
            frames = true;
        } else if (a == "--png" || a == "--size") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return wrongOption(err, a + " needs a value");
            if (a == "--png") {
                o->png = argv[++i];
            } else {
                sized = true;
                if (!sizeOf(argv[++i], &o->width, &o->height) || o->width < framePlotMinWidth ||
                    o->height < framePlotMinHeight || o->width > 8192 || o->height > 8192)
                    return wrongOption(err, "--size takes WIDTHxHEIGHT, from 320x240 to 8192x8192");
            }
        } else if (!a.empty() && a[0] == '-') {
            return wrongOption(err, "--frames takes frame logs, --png and --size, not " + a);
        } else {
            o->files.push_back(a);
        }
    }
    if (!frames)
        return wrongOption(err, "--png and --size draw frame logs: give --frames");
    if (o->files.empty())
        return wrongOption(err, "--frames needs one or more frame logs");
    if (sized && o->png.empty())
        return wrongOption(err, "--size is the size of the --png picture");
    return -1;
}

bool asksForFrames(int argc, char** argv)
{
    for (int i = 1; i < argc; i++)
        if (std::strcmp(argv[i], "--frames") == 0 || std::strcmp(argv[i], "--png") == 0 ||
            std::strcmp(argv[i], "--size") == 0)
            return true;
    return false;
}

void loadFrameLogs(const std::vector<std::string>& files, std::vector<std::unique_ptr<frameFile>>* logs,
                   std::vector<std::string>* failures)
{
    for (const std::string& f : files) {
        auto log = std::make_unique<frameFile>();
        std::string why;
        if (log->load(f, &why))
            logs->push_back(std::move(log));
        else
            failures->push_back("resview: " + why);
    }
}

int runFramesCommand(int argc, char** argv, FILE* out, FILE* err)
{
    framesOptions o;
    const int status = parseFramesOptions(argc, argv, &o, err);
    if (status >= 0)
        return status;
    if (o.png.empty())
        return -1;
    if (framePngWriter == nullptr) {
        std::fprintf(err, "resview: this build can't write PNG files\n");
        return 1;
    }
    // a result file, a log it draws, a device or a folder is never replaced by the picture
    const std::string refused = outputTarget::refusal(o.png, o.files, "\x89PNG\r\n\x1a\n", "a PNG picture");
    if (!refused.empty()) {
        std::fprintf(err, "resview: won't write %s: %s\n", visibleText(o.png).c_str(), refused.c_str());
        return 2;
    }
    std::vector<std::unique_ptr<frameFile>> logs;
    std::vector<std::string> failures;
    loadFrameLogs(o.files, &logs, &failures);
    for (const std::string& f : failures)
        std::fprintf(err, "%s\n", visibleText(f).c_str());
    if (logs.empty()) {
        std::fprintf(err, "resview: no frame log to draw: %s is not written\n", visibleText(o.png).c_str());
        return 1;
    }
    std::vector<const frameFile*> shown;
    for (const auto& l : logs)
        shown.push_back(l.get());
    const plotPicture pic = framePicture(shown, o.width, o.height);
    std::string why;
    const auto body = [](FILE* f, const void* picture, std::string* reason) {
        return framePngWriter(*static_cast<const plotPicture*>(picture), f, reason);
    };
    if (!outputTarget::write(o.png, body, &pic, &why)) {
        std::fprintf(err, "resview: %s\n", visibleText(why).c_str());
        return 1;
    }
    std::fprintf(out, "%s: %d of %zu frame logs drawn, %dx%d\n", visibleText(o.png).c_str(), int(logs.size()), o.files.size(),
                 pic.width, pic.height);
    return failures.empty() ? 0 : 1;
}
