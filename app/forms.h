// The exported window globals. A global of a window made on demand is trusted
// only while its View item is checked.
#pragma once

class TMainForm;
class TAboutBox;
class TForm2;
class TDataSourceForm;

extern TMainForm *MainForm;
extern TDataSourceForm *DataSourceForm;
extern TAboutBox *AboutBox;
extern TForm2 *Form2;

// Creates the windows made at start-up, in start-up order; the main window first.
void CreateForms();
// Destroys them again (the main window last), for a clean exit and for tests.
void DestroyForms();
