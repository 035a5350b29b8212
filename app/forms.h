// The exported window globals. A global of a window made on demand is trusted
// only while its View item is checked.
#pragma once

class TMainForm;
class TAboutBox;
class TForm2;
class TDataSourceForm;
class TMonitorForm;
class TTOAAForm;
class TDASFAForm;
class TGPGGAForm;
class TGPPOSAForm;
class TINPOSAForm;
class TSYNCAForm;
class THDGLAForm;
class TNOTCHAForm;
class TPTNTAForm;
class TLCPOSAForm;
class TLoranSoundForm;
class TTDForm;
class TFFTForm;
class TPositionForm;
class TLineWidthDialog;
class TLineColorDialog;
class THeadingForm;
class TScriptForm;
class TEurofixForm;

extern TMainForm *MainForm;
extern TDataSourceForm *DataSourceForm;
// The serial monitor while it exists (made on demand, cleared when it goes).
extern TMonitorForm *MonitorForm;
inline bool MonitorOpen() { return MonitorForm != nullptr; }
extern TAboutBox *AboutBox;
extern TForm2 *Form2;
extern TTDForm *TDForm;
extern TFFTForm *FFTForm;
extern TPositionForm *PositionForm;
extern TLineWidthDialog *LineWidthDialog;
extern TLineColorDialog *LineColorDialog;
extern THeadingForm *HeadingForm;
extern TScriptForm *ScriptForm;
extern TEurofixForm *EurofixForm;

// Log windows, made on demand from the View menu.
extern TTOAAForm *TOAAForm;
extern TDASFAForm *DASFAForm;
extern TGPGGAForm *GPGGAForm;
extern TGPPOSAForm *GPPOSAForm;
extern TINPOSAForm *INPOSAForm;
extern TSYNCAForm *SYNCAForm;
extern THDGLAForm *HDGLAForm;
extern TNOTCHAForm *NOTCHAForm;
extern TPTNTAForm *PTNTAForm;
// The Loran solution windows: Coarse, Autonomous, ASF, Calibrated.
extern TLCPOSAForm *LCPOSAForms[4];
// The Loran sound window, made on demand from the View menu.
extern TLoranSoundForm *LoranSoundForm;

// Creates the windows made at start-up, in start-up order; the main window first.
void CreateForms();
// Destroys them again (the main window last), for a clean exit and for tests.
void DestroyForms();
