// What a UI test needs to know of a Windows program's dialogs, so that
// xdotool can click where a person would:
//   korva_dlgprobe geom MODULE TEMPLATE ID...  centre of each control, from the client area's corner
//   korva_dlgprobe text TITLE ID               the text of a control of the open window TITLE
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

INT_PTR CALLBACK quietProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

int geometry(const char* module, const char* name, int count, char** ids)
{
    HMODULE m = LoadLibraryExA(module, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (m == nullptr) {
        std::fprintf(stderr, "korva_dlgprobe: can't load %s\n", module);
        return 1;
    }
    HWND dlg = CreateDialogParamA(m, name, nullptr, quietProc, 0);
    if (dlg == nullptr) {
        std::fprintf(stderr, "korva_dlgprobe: no dialog %s\n", name);
        return 1;
    }
    // without a window manager, Wine's X window is the client area
    RECT w = {};
    GetClientRect(dlg, &w);
    std::printf("window %ld %ld\n", w.right, w.bottom);
    POINT origin = {0, 0};
    ClientToScreen(dlg, &origin);
    for (int i = 0; i < count; i++) {
        const int id = std::atoi(ids[i]);
        HWND c = GetDlgItem(dlg, id);
        RECT r = {};
        if (c == nullptr || !GetWindowRect(c, &r)) {
            std::fprintf(stderr, "korva_dlgprobe: no control %d\n", id);
            return 1;
        }
        std::printf("%d %ld %ld\n", id, (r.left + r.right) / 2 - origin.x, (r.top + r.bottom) / 2 - origin.y);
    }
    DestroyWindow(dlg);
    return 0;
}

int text(const char* title, int id)
{
    HWND w = FindWindowA(nullptr, title);
    if (w == nullptr) {
        std::fprintf(stderr, "korva_dlgprobe: no window %s\n", title);
        return 1;
    }
    static char buf[70000];
    DWORD_PTR n = 0;
    SendMessageTimeoutA(GetDlgItem(w, id), WM_GETTEXT, sizeof buf, LPARAM(buf), SMTO_ABORTIFHUNG, 5000, &n);
    buf[sizeof buf - 1] = '\0';
    std::fputs(buf, stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "geom") == 0)
        return geometry(argv[2], argv[3], argc - 4, argv + 4);
    if (argc == 4 && std::strcmp(argv[1], "text") == 0)
        return text(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr, "usage: korva_dlgprobe geom MODULE TEMPLATE ID... | text TITLE ID\n");
    return 2;
}
