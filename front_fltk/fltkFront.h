// The Linux front-end's widgets and operations, shared by its files.
#ifndef KORVA_FLTKFRONT_H
#define KORVA_FLTKFRONT_H

#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Multiline_Output.H>
#include <FL/Fl_Widget.H>
#include <FL/Fl_Window.H>

#include "version3D.h"

extern Fl_Window* mainWin;
extern Fl_Button* startDemoButton;
extern Fl_Button* configDemoButton;
extern Fl_Button* singleBenchButton;
extern Fl_Check_Button* inWindowCheck;
extern Fl_Check_Button* musicOnCheck;
extern Fl_Hold_Browser* resolutionList;
extern Fl_Multiline_Output* consoleOut;
extern Fl_Window* glWin;
extern int fullScreenX, fullScreenY;
// set when the run window has been closed after a run (for --bench)
extern int runEnded;

// the main dialog's title, also the banner of a run without it
inline constexpr const char mainTitle[] = "Korvane for FLTK (PC Linux) " KORVA_VERSION3D " by the Korvane team";

void buildMainDialog();
// The program's start: the parameter file, the demo's first settings, the main dialog shown over the seam
void openMainDialog(const char* iniPath = "Korva.INI");
void startDemoCB(Fl_Widget*, void*);
void demoSettingsButtonCB(Fl_Widget*, void*);
void demoSettingsCB(Fl_Widget*, void*);
void demoSettings2CB(Fl_Widget*, void*);
void startBenchCB(Fl_Widget*, void*);
void runBenchCB(Fl_Widget*, void*);
void resolutionChangeCB(Fl_Widget*, void*);
void aboutCB(Fl_Widget*, void*);
void licenseCB(Fl_Widget*, void*);
void childWinCloseCB(Fl_Widget*, void*);
void exitGLUTCB(Fl_Widget*, void*);
void setDemoSettingsButtons();

// @returns 1 started, -1 failed
int startGlut();
// Connects the driver to FLTK: the GLUT window, the seam, the console widget.
void installFltkFront();

#endif
