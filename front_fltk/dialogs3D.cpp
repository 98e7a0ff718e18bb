// The dialogs of townview_x: the main dialog with the console, the demo
// settings and the benchmark dialog, and what their buttons do.
#include "driver3D.h"
#include "texts3D.h"
#include "fltkFront.h"
#include "logo3D.h"
#include "version3D.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Light_Button.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_Round_Button.H>

#include <cstdio>

Fl_Window* mainWin = nullptr;
Fl_Button* startDemoButton = nullptr;
Fl_Button* configDemoButton = nullptr;
Fl_Button* singleBenchButton = nullptr;
Fl_Check_Button* inWindowCheck = nullptr;
Fl_Check_Button* musicOnCheck = nullptr;
Fl_Hold_Browser* resolutionList = nullptr;
Fl_Multiline_Output* consoleOut = nullptr;
int fullScreenX = 640, fullScreenY = 480;

namespace {

Fl_Window* childWin = nullptr;

// demo settings dialog
Fl_Round_Button *nearButton, *normalButton, *farButton, *dayButton, *nightButton;
Fl_Round_Button *fogNoneButton, *fogNormalButton, *fogHeavyButton, *khz22Button, *khz44Button;
Fl_Light_Button *doubleBufferButton, *mipmapButton, *linearButton, *nicestButton, *texture2DButton, *hqButton;

// benchmark dialog
Fl_Light_Button* highDetailButton;
Fl_Input* nameInput;
Fl_Input* infoInput;
Fl_Check_Button* saveCheck;

// the state of a check, radio or toggle button as 0 or 1
int on(const Fl_Button* b)
{
    return b->value() != 0 ? 1 : 0;
}

void setMainButtons(bool active)
{
    for (Fl_Widget* w : {static_cast<Fl_Widget*>(configDemoButton), static_cast<Fl_Widget*>(startDemoButton),
                         static_cast<Fl_Widget*>(singleBenchButton)}) {
        if (active)
            w->activate();
        else
            w->deactivate();
    }
}

Fl_Box* labelBox(int x, int y, int w, int h, const char* label)
{
    auto* b = new Fl_Box(FL_ENGRAVED_FRAME, x, y, w, h, label);
    b->align(FL_ALIGN_TOP | FL_ALIGN_INSIDE);
    b->labelsize(11);
    return b;
}

template <class B>
B* settingButton(int x, int y, int w, int h, const char* label, uchar type)
{
    auto* b = new B(x, y, w, h, label);
    b->type(type);
    b->labelsize(11);
    b->callback(demoSettingsCB);
    return b;
}

}  // namespace

void buildMainDialog()
{
    const int W = 520;
    mainWin = new Fl_Window(W, 280, mainTitle);
    auto* demoBox = new Fl_Box(FL_ENGRAVED_FRAME, 4, 10, W / 4 - 8, 110, "DEMO");
    demoBox->align(FL_ALIGN_BOTTOM | FL_ALIGN_INSIDE);
    demoBox->labelsize(9);
    startDemoButton = new Fl_Button(8, 15, W / 4 - 16, 25, "START DEMO");
    startDemoButton->callback(startDemoCB);
    configDemoButton = new Fl_Button(8, 40, W / 4 - 16, 25, "CONFIG DEMO");
    configDemoButton->callback(demoSettingsButtonCB);
    inWindowCheck = new Fl_Check_Button(8, 65, W / 4 - 16, 25, "IN WINDOW");
    inWindowCheck->value(frameWindow);
    inWindowCheck->callback(demoSettings2CB);
    musicOnCheck = new Fl_Check_Button(8, 85, W / 4 - 16, 25, "MUSIC ON");
    musicOnCheck->value(playSound);
    musicOnCheck->callback(demoSettings2CB);
    auto* benchBox = new Fl_Box(FL_ENGRAVED_FRAME, 130, 10, W / 4 - 8, 35, "BENCHMARK");
    benchBox->align(FL_ALIGN_BOTTOM);
    benchBox->labelsize(9);
    singleBenchButton = new Fl_Button(134, 15, W / 4 - 16, 25, "SINGLE BENCH");
    singleBenchButton->callback(startBenchCB);
    resolutionList = new Fl_Hold_Browser(252, 11, W / 5 + 5, 110, "RESOLUTION");
    for (const char* r : {"320x200", "640x480", "800x600", "1024x768", "1280x1024", "FULLSCREEN"})
        resolutionList->add(r);
    resolutionList->callback(resolutionChangeCB);
    resolutionList->textsize(12);
    resolutionList->align(FL_ALIGN_TOP);
    resolutionList->labelsize(8);
    // after textsize, which starts the list's bookkeeping anew: a selection made
    // before it would stay highlighted beside every later one
    resolutionList->select(2);
    auto* about = new Fl_Button(134, 80, W / 4 - 16, 20, "ABOUT");
    about->callback(aboutCB);
    auto* license = new Fl_Button(134, 100, W / 4 - 16, 20, "LICENSE");
    license->callback(licenseCB);
    auto* logo = new Fl_Box(341, 60, 200, 100);
    logo->image(new Fl_Pixmap(korvaLogoXpm()));
    logo->align(FL_ALIGN_TOP | FL_ALIGN_INSIDE);
    consoleOut = new Fl_Multiline_Output(5, 125, 510, 153);
    consoleOut->textsize(12);
    mainWin->end();
    fullScreenX = Fl::w();
    fullScreenY = Fl::h();
}

void openMainDialog(const char* iniPath)
{
    startSettings3D(iniPath);
    buildMainDialog();
    installFltkFront();
    mainWin->show();
}

void resolutionChangeCB(Fl_Widget*, void*)
{
    static const int sizes[5][2] = {{320, 200}, {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
    int item = resolutionList->value();
    if (item == 0) {
        // nothing chosen: the full screen, at 640 x 480 until it is known
        resolutionList->select(6);
        scrX = 640;
        scrY = 480;
        item = 6;
    }
    if (item >= 1 && item <= 5) {
        scrX = sizes[item - 1][0];
        scrY = sizes[item - 1][1];
    } else if (item == 6) {
        scrX = fullScreenX;
        scrY = fullScreenY;
    }
}

void demoSettings2CB(Fl_Widget*, void*)
{
    playSound = on(musicOnCheck);
    frameWindow = on(inWindowCheck);
}

void demoSettingsButtonCB(Fl_Widget*, void*)
{
    setMainButtons(false);
    childWin = new Fl_Window(400, 200, "DEMO SETTINGS");
    childWin->callback(childWinCloseCB);
    const int xs[2] = {6, 206};
    labelBox(xs[0], 0, 189, 40, "VIEW DISTANCE");
    {
        auto* g = new Fl_Group(xs[0], 0, 189, 40);
        nearButton = settingButton<Fl_Round_Button>(xs[0] + 4, 16, 60, 20, "NEAR", FL_RADIO_BUTTON);
        normalButton = settingButton<Fl_Round_Button>(xs[0] + 64, 16, 64, 20, "NORMAL", FL_RADIO_BUTTON);
        farButton = settingButton<Fl_Round_Button>(xs[0] + 130, 16, 55, 20, "FAR", FL_RADIO_BUTTON);
        g->end();
    }
    labelBox(xs[1], 0, 189, 40, "FLY");
    {
        auto* g = new Fl_Group(xs[1], 0, 189, 40);
        dayButton = settingButton<Fl_Round_Button>(xs[1] + 20, 16, 70, 20, "DAY", FL_RADIO_BUTTON);
        nightButton = settingButton<Fl_Round_Button>(xs[1] + 100, 16, 70, 20, "NIGHT", FL_RADIO_BUTTON);
        g->end();
    }
    labelBox(xs[0], 40, 189, 40, "DYNAMIC FOG");
    {
        auto* g = new Fl_Group(xs[0], 40, 189, 40);
        fogNoneButton = settingButton<Fl_Round_Button>(xs[0] + 4, 56, 60, 20, "NONE", FL_RADIO_BUTTON);
        fogNormalButton = settingButton<Fl_Round_Button>(xs[0] + 64, 56, 64, 20, "NORMAL", FL_RADIO_BUTTON);
        fogHeavyButton = settingButton<Fl_Round_Button>(xs[0] + 130, 56, 58, 20, "HEAVY", FL_RADIO_BUTTON);
        g->end();
    }
    labelBox(xs[1], 40, 189, 40, "SINGLE BUFFER/DOUBLE BUFFER");
    doubleBufferButton = settingButton<Fl_Light_Button>(xs[1] + 30, 56, 130, 20, "DOUBLE BUFFER", FL_TOGGLE_BUTTON);
    labelBox(xs[0], 80, 189, 40, "MIPMAPLEVELS ON/OFF");
    mipmapButton = settingButton<Fl_Light_Button>(xs[0] + 30, 96, 130, 20, "MIPMAP ON", FL_TOGGLE_BUTTON);
    labelBox(xs[1], 80, 189, 40, "glTexturefilter(LINEAR/NEAREST)");
    linearButton = settingButton<Fl_Light_Button>(xs[1] + 30, 96, 130, 20, "GL_LINEAR", FL_TOGGLE_BUTTON);
    labelBox(xs[0], 120, 189, 40, "glHint(GL_FASTEST/GL_NICEST)");
    nicestButton = settingButton<Fl_Light_Button>(xs[0] + 30, 136, 130, 20, "GL_NICEST", FL_TOGGLE_BUTTON);
    labelBox(xs[0], 160, 189, 40, "glEnable(GL_TEXTURE_2D)");
    texture2DButton =
        settingButton<Fl_Light_Button>(xs[0] + 30, 176, 130, 20, "GL_TEXTURE_2D ON", FL_TOGGLE_BUTTON);
    labelBox(xs[1], 120, 189, 80, "Midas Digital Audio System");
    {
        auto* g = new Fl_Group(xs[1], 120, 189, 40);
        khz22Button = settingButton<Fl_Round_Button>(xs[1] + 8, 138, 86, 20, "22050 kHZ", FL_RADIO_BUTTON);
        khz44Button = settingButton<Fl_Round_Button>(xs[1] + 96, 138, 86, 20, "44100 kHZ", FL_RADIO_BUTTON);
        g->end();
    }
    hqButton = settingButton<Fl_Light_Button>(xs[1] + 30, 166, 130, 20, "HIGH QUALITY", FL_TOGGLE_BUTTON);
    childWin->end();
    setDemoSettingsButtons();
    childWin->show();
}

void setDemoSettingsButtons()
{
    nearButton->value(viewDistance == 10.0f);
    normalButton->value(viewDistance == 19.5f);
    farButton->value(viewDistance == 58.5f);
    dayButton->value(flyNight == 0);
    nightButton->value(flyNight == 1);
    fogNoneButton->value(dynamicFog == 0);
    fogNormalButton->value(dynamicFog == 1);
    fogHeavyButton->value(dynamicFog == 2);
    doubleBufferButton->value(numBuf == 2);
    mipmapButton->value(mMipmapLevels > 0);
    linearButton->value(glFilterLinear);
    nicestButton->value(glQualityHintHigh);
    texture2DButton->value(noTextureMode == 0);
    khz22Button->value(khz44100 == 0);
    khz44Button->value(khz44100 == 1);
    hqButton->value(hightQualityMidas);
}

void demoSettingsCB(Fl_Widget*, void*)
{
    if (on(nearButton))
        viewDistance = 10.0f;
    if (on(normalButton))
        viewDistance = 19.5f;
    if (on(farButton))
        viewDistance = 58.5f;
    flyNight = on(nightButton);
    if (on(fogNoneButton))
        dynamicFog = 0;
    if (on(fogNormalButton))
        dynamicFog = 1;
    if (on(fogHeavyButton))
        dynamicFog = 2;
    numBuf = on(doubleBufferButton) + 1;
    mMipmapLevels = on(mipmapButton) ? 8 : 0;
    glFilterLinear = on(linearButton);
    glQualityHintHigh = on(nicestButton);
    noTextureMode = on(texture2DButton) ? 0 : 1;
    khz44100 = on(khz44Button) ? 1 : 0;
    hightQualityMidas = on(hqButton);
}

void childWinCloseCB(Fl_Widget*, void*)
{
    if (childWin != nullptr) {
        childWin->hide();
        Fl::delete_widget(childWin);
        childWin = nullptr;
    }
    mainWin->activate();
    setMainButtons(true);
}

void startBenchCB(Fl_Widget*, void*)
{
    setMainButtons(false);
    childWin = new Fl_Window(460, 280, "BENCHMARK");
    childWin->callback(childWinCloseCB);
    auto* t = new Fl_Box(4, 4, 452, 20, "KORVANE BENCHMARKS will test the DEMO scene 4 times faster with sound disabeld");
    t->labelsize(10);
    auto* detail = new Fl_Box(FL_ENGRAVED_FRAME, 4, 28, 200, 40, "HIGH/NORMAL DETAIL");
    detail->align(FL_ALIGN_TOP | FL_ALIGN_INSIDE);
    detail->labelsize(10);
    highDetailButton = new Fl_Light_Button(40, 44, 130, 20, "HIGH DETAIL");
    highDetailButton->type(FL_TOGGLE_BUTTON);
    highDetailButton->labelsize(11);
    nameInput = new Fl_Input(4, 90, 448, 20, "COMPUTER IDENTIFICATION:   for benchmarks (should be always the same)");
    nameInput->align(FL_ALIGN_TOP_LEFT);
    nameInput->labelsize(11);
    nameInput->value(pcNameText);
    auto* e1 = new Fl_Box(4, 112, 448, 14, "examples:  Athlon 1400 MHz, 512 MB   /   Pentium III 800 MHz, 256 MB");
    e1->labelsize(10);
    e1->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    auto* e2 = new Fl_Box(4, 124, 448, 14, "                 GeForce3 64 MB   /   Radeon 7500 64 MB");
    e2->labelsize(10);
    e2->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    infoInput = new Fl_Input(4, 155, 448, 20, "more INFORMATION:");
    infoInput->align(FL_ALIGN_TOP_LEFT);
    infoInput->labelsize(11);
    infoInput->value(pcInfText);
    auto* e3 = new Fl_Box(4, 177, 448, 14, "examples:  driver 23.11, Linux 2.4.18, XFree86 4.2   /   Mesa 4.0 software");
    e3->labelsize(10);
    e3->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    auto* e4 = new Fl_Box(4, 189, 448, 14, "                 AGP 4x, fast writes on   /   overclocked to 200 MHz");
    e4->labelsize(10);
    e4->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    auto* hint = new Fl_Box(4, 206, 448, 18, "EDIT line 1+2 in Korva.INI file for default identification + info");
    hint->labelsize(11);
    saveCheck = new Fl_Check_Button(130, 230, 120, 25, "add results to BENCH.RES text file");
    saveCheck->labelsize(11);
    saveCheck->value(saveBench);
    auto* start = new Fl_Button(4, 230, 120, 25, "START BENCHMARK");
    start->labelsize(11);
    start->callback(runBenchCB);
    childWin->end();
    childWin->show();
}

void runBenchCB(Fl_Widget*, void*)
{
    if (on(highDetailButton)) {
        runBenchHigh = 1;
        runBenchNormal = 0;
    } else {
        runBenchHigh = 0;
        runBenchNormal = 1;
    }
    runDemo = 0;
    // a line break pasted into a field would break the record's nine lines
    setRecordText3D(pcNameText, sizeof pcNameText, nameInput->value());
    setRecordText3D(pcInfText, sizeof pcInfText, infoInput->value());
    saveBench = on(saveCheck);
    childWinCloseCB(nullptr, nullptr);
    startGlut();
}

void startDemoCB(Fl_Widget*, void*)
{
    runDemo = 1;
    runBenchNormal = runBenchHigh = 0;
    startGlut();
}

void aboutCB(Fl_Widget*, void*)
{
    mainOut.prCls();
    char text[1500];
    aboutText3D(text, sizeof text, "KORVANE for FLTK (PC Linux) " KORVA_VERSION3D,
                "It needs an OpenGL driver for your graphics card, or Mesa.");
    mainOut.prNoScroll(text);
}

void licenseCB(Fl_Widget*, void*)
{
    mainOut.prCls();
    mainOut.prNoScroll(licenseText3D);
}
