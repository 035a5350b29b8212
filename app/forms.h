// The exported window globals. A global of a window made on demand is trusted
// only while its View item is checked.
#pragma once

class TMainForm;
class TAboutBox;
class TForm2;
class TTDForm;
class TLineWidthDialog;
class TLineColorDialog;

extern TMainForm *MainForm;
extern TAboutBox *AboutBox;
extern TForm2 *Form2;
extern TTDForm *TDForm;
extern TLineWidthDialog *LineWidthDialog;
extern TLineColorDialog *LineColorDialog;

// Creates the windows made at start-up, in start-up order; the main window first.
void CreateForms();
// Destroys them again (the main window last), for a clean exit and for tests.
void DestroyForms();
