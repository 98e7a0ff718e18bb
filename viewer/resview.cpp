// resview: the main window and its menu, one view window per loaded result
// set, each with its control panel and its bar chart.
//   resview [--base] [--open FILE] [--base-with FILE]   (the options open views at start)
//   resview --table|--csv|--json ...                     (no window: the rows on standard output)
//   resview --frames FILE... [--png OUT.png]             (frame logs, in a window or a picture)
#include "frameCommand.h"
#include "frameView.h"
#include "resData.h"
#include "resTable.h"
#include "resText.h"
#include "version3D.h"

#include <wx/wx.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <list>
#include <memory>

namespace {

// a record's bytes as the toolkit shows them: UTF-8, or the Windows code page
wxString shown(const char* bytes)
{
    return wxString::FromUTF8(displayText(bytes));
}

enum commandId { idLoadRes = 2, idViewBase = 3, idViewBoth = 4, idViewFrames = 5, idAbout = 10 };
enum panelId { idCompUp = 100, idCompDown, idBenchChoice, idCompChoice, idResChoice, idSortChoice };

class viewFrame;

// the application: the log, the working folder, the open views, the shared maximum
struct appState {
    resLog log;
    char workDir[1024] = "";
    std::list<viewFrame*> views;
    wxFrame* mainFrame = nullptr;
    float maxFps = 0.0f;
};
appState* app = nullptr;
// the folder of data/base.bin, found before the toolkit starts
char baseHome[1024] = "";

class chartCanvas : public wxScrolledWindow {
public:
    chartCanvas(wxWindow* parent, viewFrame* view, const wxPoint& pos, const wxSize& size);
    void resetScroll(int rows) { SetScrollbars(32, 21, 16, rows + 1, 0, 0); }

private:
    void onPaint(wxPaintEvent&);
    void onMouse(wxMouseEvent& e);
    viewFrame* view;
    wxFont font;
};

class viewFrame : public wxFrame {
public:
    viewFrame(wxFrame* parent, std::unique_ptr<resData> data);
    void selectResult(int n);
    void refilter()
    {
        data->setFilter(stored[0], stored[1], stored[2], stored[3]);
        canvas->Refresh();
    }
    resData* store() { return data.get(); }
    int selected = 0;

private:
    void onCommand(wxCommandEvent& e);
    void onSize(wxSizeEvent& e);
    void onClose(wxCloseEvent& e);
    void applyChoices();

    std::unique_ptr<resData> data;
    wxPanel* panel;
    chartCanvas* canvas;
    wxChoice* choices[4];
    wxTextCtrl* fields[5];
    int stored[4] = {0, 0, 0, 0};
    int panelHeight = 120;
};

chartCanvas::chartCanvas(wxWindow* parent, viewFrame* v, const wxPoint& pos, const wxSize& size)
    : wxScrolledWindow(parent, wxID_ANY, pos, size), view(v),
      // two lines of text in a 21-pixel row, in any toolkit's font sizes
      font(wxFontInfo(wxSize(0, 10)).Family(wxFONTFAMILY_SWISS))
{
    SetBackgroundColour(*wxWHITE);
    Bind(wxEVT_PAINT, &chartCanvas::onPaint, this);
    Bind(wxEVT_LEFT_DOWN, &chartCanvas::onMouse, this);
    Bind(wxEVT_RIGHT_DOWN, &chartCanvas::onMouse, this);
}

void chartCanvas::onPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    DoPrepareDC(dc);
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetFont(font);
    const int W = std::max(view->GetClientSize().GetWidth(), 512);
    const int R = 21;
    const resData* d = view->store();
    const wxColour grey("LIGHT GREY");
    const wxBrush greyBrush(grey);
    // the bars start after the widest resolution text, never over it
    int barX = 80;
    for (int i = 0; i < d->getNumDisplay(); i++) {
        const resRecord& r = d->displayed(i);
        barX = std::max(barX, 4 + dc.GetTextExtent(wxString::Format("%dx%dx%d", r.width, r.height, r.depth)).x + 4);
    }
    for (int i = 0; i < d->getNumDisplay(); i++) {
        const resRecord& r = d->displayed(i);
        const int y = i * R;
        const bool sel = i == view->selected;
        dc.SetBrush(sel ? greyBrush : *wxWHITE_BRUSH);
        dc.SetPen(*wxBLACK_PEN);
        dc.SetTextForeground(*wxBLACK);
        dc.SetTextBackground(sel ? grey : *wxWHITE);
        dc.DrawRectangle(0, y, W, R + 1);
        dc.SetBrush(*wxBLUE_BRUSH);
        int bar = 0;
        if (app->maxFps > 0.0f) {
            bar = int(r.fps / app->maxFps * (float(W) * 2.0f / 3.0f));
            if (bar > 0)
                dc.DrawRectangle(barX, y + R / 2 + 3, bar, R / 3);
        }
        dc.DrawText(shown(r.computer), 4, y + R / 16);
        dc.DrawText(wxString::Format("%dx%dx%d", r.width, r.height, r.depth), 4, y + R / 2 + 1);
        dc.DrawText(wxString::Format("%3.2f fps", double(r.fps)), barX + bar + 2, y + R / 2 + 1);
        dc.DrawLine(0, y + R, 200, y + R);
    }
}

void chartCanvas::onMouse(wxMouseEvent& e)
{
    int x = 0, y = 0;
    CalcUnscrolledPosition(e.GetX(), e.GetY(), &x, &y);
    const int row = y / 21;
    if (row >= 0 && row < view->store()->getNumDisplay() && row != view->selected) {
        view->selectResult(row);
        Refresh();
    }
}

viewFrame::viewFrame(wxFrame* parent, std::unique_ptr<resData> d)
    : wxFrame(parent, wxID_ANY, "KORVANE results", wxPoint(10, 10), wxSize(760, 520)), data(std::move(d))
{
    // The panel keeps its order and places: four labels over four choices, the two
    // buttons beside "SHOW COMPUTERS:", five detail lines below. Each row is as tall
    // as the toolkit's controls need and each control as wide as its text, so that
    // nothing is cut or covered in a theme with larger controls than the panel's plan.
    const wxSize client = GetClientSize();
    panel = new wxPanel(this, wxID_ANY, wxPoint(0, 0), wxSize(client.GetWidth(), panelHeight));
    panel->SetFont(wxFont(8, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
    const char* const labels[4] = {"SHOW BENCHMARKS:", "SHOW COMPUTERS:", "RESOLUTIONS:", "SORT:"};
    const int ids[4] = {idBenchChoice, idCompChoice, idResChoice, idSortChoice};
    const int xs[4] = {0, 166, 486, 598};
    const int ws[4] = {166, 320, 112, 88};
    wxStaticText* labelText[4];
    for (int k = 0; k < 4; k++)
        labelText[k] = new wxStaticText(panel, wxID_ANY, labels[k], wxPoint(xs[k] + 8, 2));
    wxButton* up = new wxButton(panel, idCompUp, "<", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    wxButton* down = new wxButton(panel, idCompDown, ">", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    wxSize button = up->GetBestSize();
    button.IncTo(down->GetBestSize());
    button.IncTo(wxSize(16, 16));
    const int buttonX = std::max(278, labelText[1]->GetPosition().x + labelText[1]->GetBestSize().x + 4);
    up->SetSize(buttonX, 1, button.x, button.y);
    down->SetSize(buttonX + button.x + 2, 1, button.x, button.y);
    const int labelRow = std::max(labelText[0]->GetBestSize().y + 2, button.y + 1);
    for (wxStaticText* l : labelText)
        l->Move(l->GetPosition().x, (labelRow - l->GetBestSize().y) / 2);

    int x = 0, choiceBottom = 0;
    for (int k = 0; k < 4; k++) {
        choices[k] = new wxChoice(panel, ids[k], wxPoint(xs[k], labelRow + 1));
        const int n = k == 0 ? data->numBenchmarks()
                             : k == 1 ? data->numComputers() : k == 2 ? data->numResolutions() : data->numSortModes();
        for (int i = 0; i < n; i++) {
            const char* t = k == 0 ? data->benchmarkEntry(i)
                                   : k == 1 ? data->computerEntry(i)
                                            : k == 2 ? data->resolutionEntry(i) : data->sortEntry(i);
            choices[k]->Append(shown(t));
        }
        choices[k]->SetSelection(0);
        // the benchmark and computer choices take long texts as the plan has them; the
        // short ones grow to show their entries whole
        const int best = choices[k]->GetBestSize().x;
        const int w = k >= 2 ? std::max(ws[k], best) : ws[k];
        x = std::max(x, xs[k]);
        choices[k]->SetSize(x, labelRow + 1, w, -1);
        x += w;
        choiceBottom = std::max(choiceBottom, labelRow + 1 + choices[k]->GetSize().y);
    }

    const char* names[5] = {"BENCHMARK", "COMPUTER", "USER INFO", "AUTO INFO1", "AUTO INFO2"};
    const int widths[5] = {340, 680, 680, 680, 680};
    wxStaticText* nameText[5];
    int nameWidth = 0;
    for (int k = 0; k < 5; k++) {
        nameText[k] = new wxStaticText(panel, wxID_ANY, names[k]);
        nameWidth = std::max(nameWidth, nameText[k]->GetBestSize().x);
    }
    const int fieldX = std::max(80, 8 + nameWidth + 6);
    int y = choiceBottom + 2;
    for (int k = 0; k < 5; k++) {
        fields[k] = new wxTextCtrl(panel, wxID_ANY, "", wxPoint(fieldX, y), wxDefaultSize,
                                   wxTE_READONLY | wxBORDER_NONE);
        const int h = std::max(16, fields[k]->GetBestSize().y);
        fields[k]->SetSize(fieldX, y, widths[k] - 80 + 8, h);
        nameText[k]->Move(8, y + (h - nameText[k]->GetBestSize().y) / 2);
        y += h;
    }
    panelHeight = std::max(120, y + 4);
    panel->SetSize(0, 0, client.GetWidth(), panelHeight);
    panel->Bind(wxEVT_BUTTON, &viewFrame::onCommand, this);
    panel->Bind(wxEVT_CHOICE, &viewFrame::onCommand, this);
    canvas = new chartCanvas(this, this, wxPoint(0, panelHeight),
                             wxSize(client.GetWidth(), std::max(client.GetHeight() - panelHeight, 1)));
    canvas->resetScroll(data->getNumDisplay());
    // the window opens with the panel and the chart's first rows in view
    SetClientSize(std::max(client.GetWidth(), x + 8), std::max(client.GetHeight(), panelHeight + 6 * 21));
    Bind(wxEVT_SIZE, &viewFrame::onSize, this);
    Bind(wxEVT_CLOSE_WINDOW, &viewFrame::onClose, this);
    selectResult(0);
}

void viewFrame::selectResult(int n)
{
    if (data->getNumDisplay() == 0 || n < 0 || n >= data->getNumDisplay()) {
        for (wxTextCtrl* f : fields)
            f->SetValue("");
        return;
    }
    selected = n;
    const resRecord& r = data->displayed(n);
    fields[0]->SetValue(shown(r.benchmark) + wxString::Format("  %dx%dx%d", r.width, r.height, r.depth));
    fields[1]->SetValue(shown(r.computer));
    fields[2]->SetValue(shown(r.userInfo));
    fields[3]->SetValue(shown(r.autoInfo1));
    fields[4]->SetValue(shown(r.autoInfo2));
}

void viewFrame::applyChoices()
{
    data->setFilter(stored[0], stored[1], stored[2], stored[3]);
    selectResult(0);
    canvas->resetScroll(data->getNumDisplay());
    canvas->Refresh();
}

void viewFrame::onCommand(wxCommandEvent& e)
{
    if (e.GetId() == idCompUp && stored[1] > 0)
        choices[1]->SetSelection(stored[1] - 1);
    if (e.GetId() == idCompDown && stored[1] + 1 < data->numComputers())
        choices[1]->SetSelection(stored[1] + 1);
    for (int k = 0; k < 4; k++) {
        const int now = choices[k]->GetSelection();
        if (now != wxNOT_FOUND && now != stored[k]) {
            stored[k] = now;
            applyChoices();
        }
    }
}

void viewFrame::onSize(wxSizeEvent& e)
{
    const wxSize c = GetClientSize();
    panel->SetSize(0, 0, c.GetWidth(), panelHeight);
    // a window lower than the panel still gives the chart one row
    canvas->SetSize(0, panelHeight, c.GetWidth(), std::max(c.GetHeight() - panelHeight, 1));
    e.Skip();
}

void viewFrame::onClose(wxCloseEvent&)
{
    // one scale for all charts: rebuilt from the views that stay open
    app->views.remove(this);
    app->maxFps = 0.0f;
    for (viewFrame* v : app->views)
        v->refilter();
    Destroy();
}

// Opens a view window on what command loads. @returns whether it opened.
bool openView(int command, const wxString& file)
{
    auto data = std::make_unique<resData>(&app->log, &app->maxFps, app->workDir);
    // a load that fails changes nothing, the shared scale included
    const float maxBefore = app->maxFps;
    int r = -1;
    const std::string path = file.ToStdString();
    if (command == idLoadRes) {
        r = data->loadRes(path.c_str());
    } else if (command == idViewBoth) {
        r = data->loadBinWithRes(path.c_str());
    } else {
        // the folder's 1024 characters and the file name
        char base[1024 + 16];
        std::snprintf(base, sizeof base, "%s/data/base.bin", app->workDir);
        app->log.prf("%s\n", base);
        r = data->loadBin(base);
    }
    if (r != 1) {
        app->maxFps = maxBefore;
        const bool baseFailed = command == idViewBase || r == -2;
        wxMessageBox(baseFailed                  ? wxString("can't load data/base.bin baseresult file")
                     : data->overflow().empty() ? wxString("corrupt .res file")
                                                : wxString::FromUTF8(visibleText(data->overflow()).c_str()),
                     "ERROR", wxOK, app->mainFrame);
        return false;
    }
    // what the load left out (orphans, duplicates, test clocks) is said in the title
    std::string notes = data->leftOutNotes();
    if (!notes.empty())
        notes = " - " + visibleText(notes.substr(0, notes.find('\n')));
    auto* v = new viewFrame(app->mainFrame, std::move(data));
    for (viewFrame* other : app->views)
        other->refilter();
    app->views.push_back(v);
    v->SetTitle(wxString::FromUTF8(("KORVANE results" + notes).c_str()));
    v->Show();
    return true;
}

// Opens a frame-time window on the logs that load; each that does not is a
// line on standard error and in one message box. @returns whether it opened.
bool openFrames(const std::vector<std::string>& files)
{
    for (const std::string& f : files)
        app->log.prf("%s\n", f.c_str());
    std::vector<std::unique_ptr<frameFile>> logs;
    std::vector<std::string> failures;
    loadFrameLogs(files, &logs, &failures);
    if (!failures.empty()) {
        wxString text;
        for (const std::string& f : failures) {
            std::fprintf(stderr, "%s\n", visibleText(f).c_str());
            text += wxString::FromUTF8(f.c_str()) + "\n";
        }
        wxMessageBox(text, "ERROR", wxOK, app->mainFrame);
    }
    if (logs.empty())
        return false;
    (new frameView(app->mainFrame, std::move(logs)))->Show();
    return true;
}

class mainFrame : public wxFrame {
public:
    mainFrame() : wxFrame(nullptr, wxID_ANY, "KORVANE benchmarks result viewer " KORVA_VERSION3D, wxDefaultPosition, wxSize(800, 600))
    {
        auto* korvane = new wxMenu;
        korvane->Append(idViewBase, "&View result database");
        korvane->Append(idLoadRes, "&Load benchmark result file");
        korvane->Append(idViewBoth, "View result &database + result file");
        korvane->Append(idViewFrames, "View &frame logs");
        auto* info = new wxMenu;
        info->Append(idAbout, "&About");
        auto* bar = new wxMenuBar;
        bar->Append(korvane, "&Korvane");
        bar->Append(info, "&Info");
        SetMenuBar(bar);
        Bind(wxEVT_MENU, &mainFrame::onMenu, this);
        Bind(wxEVT_CLOSE_WINDOW, &mainFrame::onClose, this);
    }

private:
    void onMenu(wxCommandEvent& e)
    {
        const int id = e.GetId();
        if (id == idAbout) {
            wxMessageBox("resview: the results viewer of the KORVANE benchmarks,\nusing wxWindows\n\n"
                         "by the Korvane team",
                         "About resview", wxOK, this);
            return;
        }
        if (id == idViewFrames) {
            wxFileDialog dlg(this, "View frame logs", "", "", "Frame logs (*.csv)|*.csv|All files|*",
                             wxFD_OPEN | wxFD_MULTIPLE | wxFD_FILE_MUST_EXIST);
            if (dlg.ShowModal() != wxID_OK)
                return;
            wxArrayString paths;
            dlg.GetPaths(paths);
            std::vector<std::string> files;
            for (const wxString& p : paths)
                files.push_back(p.utf8_string());
            openFrames(files);
            return;
        }
        wxString file;
        if (id == idLoadRes || id == idViewBoth) {
            // bench.res and bench.json alike
            wxFileDialog dlg(this, "Load benchmark result file", "", "",
                             "Results (*.res;*.json)|*.res;*.json|All files|*", wxFD_OPEN);
            if (dlg.ShowModal() != wxID_OK)
                return;
            file = dlg.GetPath();
            app->log.prf("%s\n", file.ToStdString().c_str());
        }
        openView(id, file);
    }
    void onClose(wxCloseEvent&)
    {
        for (viewFrame* v : std::list<viewFrame*>(app->views))
            v->Destroy();
        app->views.clear();
        Destroy();
    }
};

}  // namespace

class resviewApp : public wxApp {
public:
    bool OnInit() override
    {
        auto* frame = new mainFrame;
        frame->Show();
        app = new appState;
        app->mainFrame = frame;
        if (baseHome[0] != '\0') {
            std::snprintf(app->workDir, sizeof app->workDir, "%s", baseHome);
            app->log.prf("%s\n", app->workDir);
        } else {
            app->log.prf("_getcwd error\n");
        }
        // views to open at once, for scripts
        framesOptions frames;
        if (asksForFrames(argc, argv) && parseFramesOptions(argc, argv, &frames, stderr) < 0)
            openFrames(frames.files);
        for (int i = 1; i < argc; i++) {
            const wxString a = argv[i];
            if (a == "--base")
                openView(idViewBase, "");
            else if ((a == "--open" || a == "--base-with") && i + 1 < argc)
                openView(a == "--open" ? idLoadRes : idViewBoth, argv[++i]);
        }
        return true;
    }
    int OnExit() override
    {
        delete app;
        app = nullptr;
        return 0;
    }
};

wxIMPLEMENT_APP_NO_MAIN(resviewApp);

namespace {

// The folder whose data/base.bin is the base database: the working folder
// when it has one (a run from the data tree), else the program's own folder
// (the build's tree, an unpacked Windows folder), else the installed tree
// beside the program's bin/.
std::string findBaseHome(const char* argv0)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    if (fs::is_regular_file(cwd / "data/base.bin", ec))
        return cwd.string();
#ifdef _WIN32
    const fs::path dir = fs::absolute(argv0, ec).parent_path();
#else
    fs::path dir = fs::canonical("/proc/self/exe", ec).parent_path();
    if (ec)
        dir = fs::absolute(argv0, ec).parent_path();
#endif
    for (const fs::path& home : {dir, dir / "../share/korvane"})
        if (fs::is_regular_file(home / "data/base.bin", ec))
            return fs::canonical(home, ec).string();
    return cwd.string();
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    framePngWriter = writePicturePngWx;
#endif
    const std::string home = findBaseHome(argv[0]);
    std::snprintf(baseHome, sizeof baseHome, "%s", home.c_str());
    // the command line for scripts needs no display
    const int status = runTableCommand(argc, argv, baseHome, stdout, stderr);
    if (status >= 0)
        return status;
#ifndef _WIN32
    // GTK's own answer is "Unable to initialize GTK+" and status 255
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((x == nullptr || x[0] == '\0') && (wayland == nullptr || wayland[0] == '\0')) {
        std::fprintf(stderr, "resview: no display (DISPLAY is not set): the windows need one; "
                             "--table, --csv, --json, --check and --frames with --png work without\n");
        return 1;
    }
#endif
    return wxEntry(argc, argv);
}
