#include "app/forms.h"

#include "app/aboutbox.h"
#include "app/form2.h"
#include "app/mainform.h"
#include "link/datasource.h"
#include "plots/headingform.h"
#include "link/scriptform.h"
#include "plots/eurofixform.h"
#include "plots/linedialogs.h"
#include "plots/fftplot.h"
#include "plots/positionform.h"
#include "plots/tdplot.h"

TMainForm *MainForm = nullptr;
TMonitorForm *MonitorForm = nullptr;
TDataSourceForm *DataSourceForm = nullptr;
TAboutBox *AboutBox = nullptr;
TForm2 *Form2 = nullptr;
TTOAAForm *TOAAForm = nullptr;
TDASFAForm *DASFAForm = nullptr;
TGPGGAForm *GPGGAForm = nullptr;
TGPPOSAForm *GPPOSAForm = nullptr;
TINPOSAForm *INPOSAForm = nullptr;
TSYNCAForm *SYNCAForm = nullptr;
THDGLAForm *HDGLAForm = nullptr;
TNOTCHAForm *NOTCHAForm = nullptr;
TPTNTAForm *PTNTAForm = nullptr;
TLCPOSAForm *LCPOSAForms[4] = {};
TLoranSoundForm *LoranSoundForm = nullptr;
TTDForm *TDForm = nullptr;
TFFTForm *FFTForm = nullptr;
TPositionForm *PositionForm = nullptr;
TLineWidthDialog *LineWidthDialog = nullptr;
TLineColorDialog *LineColorDialog = nullptr;
THeadingForm *HeadingForm = nullptr;
TScriptForm *ScriptForm = nullptr;
TEurofixForm *EurofixForm = nullptr;

void CreateForms()
{
    MainForm = new TMainForm();
    DataSourceForm = new TDataSourceForm(MainForm);
    // Start-up order: MainForm, DataSourceForm, TDForm, PositionForm, LineWidthDialog,
    // LineColorDialog, AboutBox, EurofixForm, HeadingForm, FFTForm, ScriptForm, Form2.
    TDForm = new TTDForm(MainForm);
    PositionForm = new TPositionForm(MainForm);
    LineWidthDialog = new TLineWidthDialog(MainForm);
    LineColorDialog = new TLineColorDialog(MainForm);
    AboutBox = new TAboutBox(MainForm);
    EurofixForm = new TEurofixForm(MainForm);
    HeadingForm = new THeadingForm(MainForm);
    FFTForm = new TFFTForm(MainForm);
    ScriptForm = new TScriptForm(MainForm);
    Form2 = new TForm2(MainForm);
}

void DestroyForms()
{
    delete Form2;
    Form2 = nullptr;
    delete ScriptForm;
    ScriptForm = nullptr;
    delete FFTForm;
    FFTForm = nullptr;
    delete HeadingForm;
    HeadingForm = nullptr;
    delete EurofixForm;
    EurofixForm = nullptr;
    delete AboutBox;
    AboutBox = nullptr;
    delete LineColorDialog;
    LineColorDialog = nullptr;
    delete LineWidthDialog;
    LineWidthDialog = nullptr;
    delete PositionForm;
    PositionForm = nullptr;
    delete TDForm;
    TDForm = nullptr;
    delete DataSourceForm;
    DataSourceForm = nullptr;
    delete MainForm;
    MainForm = nullptr;
}
