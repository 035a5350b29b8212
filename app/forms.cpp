#include "app/forms.h"

#include "app/aboutbox.h"
#include "app/form2.h"
#include "app/mainform.h"
#include "plots/linedialogs.h"
#include "plots/tdplot.h"

TMainForm *MainForm = nullptr;
TAboutBox *AboutBox = nullptr;
TForm2 *Form2 = nullptr;
TTDForm *TDForm = nullptr;
TLineWidthDialog *LineWidthDialog = nullptr;
TLineColorDialog *LineColorDialog = nullptr;

void CreateForms()
{
    MainForm = new TMainForm();
    // Start-up order: MainForm, DataSourceForm, TDForm, PositionForm,
    // LineWidthDialog, LineColorDialog, AboutBox, ...
    TDForm = new TTDForm(MainForm);
    LineWidthDialog = new TLineWidthDialog(MainForm);
    LineColorDialog = new TLineColorDialog(MainForm);
    AboutBox = new TAboutBox(MainForm);
    Form2 = new TForm2(MainForm);
}

void DestroyForms()
{
    delete Form2;
    Form2 = nullptr;
    delete AboutBox;
    AboutBox = nullptr;
    delete LineColorDialog;
    LineColorDialog = nullptr;
    delete LineWidthDialog;
    LineWidthDialog = nullptr;
    delete TDForm;
    TDForm = nullptr;
    delete MainForm;
    MainForm = nullptr;
}
