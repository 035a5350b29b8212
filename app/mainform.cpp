#include "app/mainform.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMenu>
#include <QResizeEvent>
#include <QScreen>
#include <QTime>

#include "app/aboutbox.h"
#include "app/form2.h"
#include "app/forms.h"
#include "link/monitorform.h"
#include "link/datasource.h"
#include "link/scriptform.h"
#include "platform/notifier.h"
#include "platform/plaintext.h"
#include "platform/settings.h"
#include "plots/headingform.h"
#include "plots/loransound.h"
#include "plots/fftplot.h"
#include "plots/eurofixform.h"
#include "plots/positionform.h"
#include "plots/tdplot.h"
#include "ui_aboutbox.h"
#include "ui_mainform.h"

TMainForm::TMainForm(QWidget *owner) : QMainWindow(owner), ui(std::make_unique<Ui::TMainForm>())
{
    ui->setupUi(this);
    ShowLabelsAsPlainText(this);
    ClientArea = ui->ClientArea;
    // A child placed past the frame's edge, or taller than it, is scrolled to.
    ClientArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ClientArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setMinimumSize(600, 300);
    QFont font = this->font();
    font.setPixelSize(16);
    setFont(font);
    // Menus and status bar keep the desktop's own font, as they always did.
    QFont systemFont = QApplication::font();
    systemFont.setResolveMask(QFont::AllPropertiesResolved);   // nothing taken from the frame's font
    ui->MainMenu1->setFont(systemFont);

    StatusBar1 = new StatusPanels(3, this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setToolTip("Double click to enter description");
    StatusBar1->SetPanelText(0, "No data recording");
    StatusBar1->SetPanelAlignment(1, Qt::AlignHCenter);
    StatusBar1->SetPanelAlignment(2, Qt::AlignRight);
    StatusBar1->setFont(systemFont);
    setStatusBar(StatusBar1);
    BuildPopupMenu();

    maximiseWait_.setSingleShot(true);
    maximiseWait_.setInterval(MaximiseWait);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(250);

    SaveDialog1.Title = "Save loglines to file";
    SaveDialog1.DefaultExt = "txt";
    SaveDialog1.Filter = "Text files (*.txt)|*.txt|All files (*.*)|*.*";
    SaveDialog1.OverwritePrompt = true;

    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    connect(ui->File1, &QMenu::aboutToShow, this, &TMainForm::File1Click);
    connect(ui->DataSource, &QAction::triggered, this, &TMainForm::DataSourceClick);
    connect(ui->Script1, &QAction::triggered, this, &TMainForm::Script1Click);
    connect(ui->Save1, &QAction::triggered, this, &TMainForm::Save1Click);
    connect(ui->Adddescription1, &QAction::triggered, this, &TMainForm::Adddescription1Click);
    connect(ui->Exit2, &QAction::triggered, this, &TMainForm::Exit2Click);
    connect(ui->About1, &QAction::triggered, this, &TMainForm::About1Click);
    connect(ui->TDPlot1, &QAction::triggered, this, &TMainForm::TDPlot1Click);
    connect(ui->TOAPlot1, &QAction::triggered, this, &TMainForm::TDPlot1Click);
    connect(ui->HDGA1, &QAction::triggered, this, &TMainForm::HDGA1Click);
    connect(ui->HDGA2, &QAction::triggered, this, &TMainForm::HDGA1Click);
    connect(ui->FFTplot1, &QAction::triggered, this, &TMainForm::FFTplot1Click);
    connect(ui->FFTPlot2, &QAction::triggered, this, &TMainForm::FFTplot1Click);
    connect(ui->EurofixData1, &QAction::triggered, this, &TMainForm::EurofixData1Click);
    connect(ui->EurofixData2, &QAction::triggered, this, &TMainForm::EurofixData1Click);
    connect(ui->PositionPlot1, &QAction::triggered, this, &TMainForm::PositionPlot1Click);
    connect(ui->PositionPlot2, &QAction::triggered, this, &TMainForm::PositionPlot1Click);
    connect(StatusBar1, &StatusPanels::DoubleClicked, this, &TMainForm::StatusBar1DblClick);
    connect(StatusBar1, &StatusPanels::RightClicked, this, [this](const QPoint &p) { PopupMenu1->popup(p); });

    ConnectWindowMenus();
    RegisterViews();
    FormCreate();
    Timer1->start();
}

TMainForm::~TMainForm()
{
    DeleteOnDemandWindows();
    if (Recording) {
        bool failed = std::fclose(RecordFile) != 0;
        RecordFile = nullptr;
        Recording = false;
        if (failed) Notifier::Error("   Errors closing output file   ", this);
    }
}

void TMainForm::BuildPopupMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    PopupMenu1->addActions({ui->TOAA2, ui->DASFA2, ui->HDGLA2, ui->NOTCHA2, ui->PTNTA2, ui->SYNCA2, ui->GPPOSA2,
                            ui->LCPOSACoarse1, ui->LCPOSAAutonomous1, ui->LCPOSAASF1, ui->LCPOSACalibrated1,
                            ui->INPOSA2, ui->GPGGA2, ui->LoranSound2, ui->SerialMonitor2});
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({ui->TOAPlot1, ui->PositionPlot2, ui->HDGA2, ui->EurofixData2, ui->FFTPlot2});
}

void TMainForm::FormCreate()
{
    Recording = false;
    RecordFile = nullptr;
    ExtendedMenus = false;
    resize(874, 600);
    if (QScreen *screen = this->screen()) move(screen->availableGeometry().center() - rect().center());

    SettingsStore store(SettingsStore::Mode::ReadOnly);
    if (store.IsOpen()) {
        std::optional<QString> value = store.ReadString("DravOutput");
        if (value && !value->isEmpty() && value->compare("enabled", Qt::CaseInsensitive) == 0) ExtendedMenus = true;
    }
    if (!ExtendedMenus) {
        for (QAction *item : {ui->HDGLA1, ui->HDGLA2, ui->PTNTA1, ui->PTNTA2, ui->SYNCA1, ui->SYNCA2})
            item->setVisible(false);
    }
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
    if (maximiseWait_.isActive()) TileDefaultLogs();
}

// The window never gets narrower than 600 or lower than 300 pixels; the
// status panels share the bar in thirds by their equal stretch.
void TMainForm::FormResize()
{
    if (width() < 600 || height() < 300) resize(std::max(width(), 600), std::max(height(), 300));
}

void TMainForm::Timer1Timer()
{
    QString now = QLocale::system().toString(QTime::currentTime(), QLocale::ShortFormat);
    if (now.count(':') < 2) now = QTime::currentTime().toString("hh:mm:ss");
    StatusBar1->SetPanelText(2, now + "   Dravelon ");
    if (Recording) StatusBar1->SetPanelText(0, LoggedText());
}

void TMainForm::File1Click()
{
    int kind = DataSourceForm && DataSourceForm->Connected ? DataSourceForm->GetSourceKind() : 0;
    ui->Script1->setEnabled(kind == 1 || kind == 2);
}

void TMainForm::DataSourceClick()
{
    if (!DataSourceForm) return;
    DataSourceForm->LoadSettings(RegistryKey);
    DataSourceForm->show();
    DataSourceForm->raise();
    DataSourceForm->activateWindow();
}

void TMainForm::Script1Click()
{
    if (!ScriptForm) return;
    ScriptForm->SetScriptKey(RegistryKey);
    ScriptForm->exec();
}

void TMainForm::SetDescription(const QString &text)
{
    StatusBar1->SetPanelText(1, text);
    setWindowTitle("KAVUAnalyser: " + text);
}

void TMainForm::Adddescription1Click()
{
    if (Form2) Form2->exec();
}

void TMainForm::StatusBar1DblClick() { Adddescription1Click(); }

void TMainForm::Exit2Click() { close(); }

void TMainForm::TDPlot1Click() { ShowFixed(TDForm); }

void TMainForm::HDGA1Click() { ShowFixed(HeadingForm); }
void TMainForm::FFTplot1Click() { ShowFixed(FFTForm); }
void TMainForm::EurofixData1Click() { ShowFixed(EurofixForm); }
void TMainForm::PositionPlot1Click() { ShowFixed(PositionForm); }

void TMainForm::About1Click()
{
    if (!AboutBox) return;
    AboutBox->ui->Version->setText(QString("Version %1 - Build %2").arg(VersionText).arg(BuildNumber));
    AboutBox->ui->ProductName->setText("KAVUAnalyser");
    AboutBox->exec();
}

// ---------------------------------------------------------------------------
// The router
// ---------------------------------------------------------------------------

void TMainForm::ReceiveData(const QByteArray &chunk)
{
    if (ui->SerialMonitor1->isChecked() && MonitorForm) MonitorForm->AddData(chunk);
    if (Recording && !WriteRecording(chunk)) {
        Save1Click();
        Notifier::Error("   Cannot write to output file   \n           Closing file!", this);
    }
    router_.Feed(chunk.constData(), static_cast<size_t>(chunk.size()));
}

bool TMainForm::ScriptRunning() const { return ScriptForm && ScriptForm->Running; }

void TMainForm::ScriptLine(const char *line) { ScriptForm->CheckResponse(line); }

void TMainForm::ResetViews()
{
    if (!ui->SerialMonitor1->isChecked()) ToggleWindow(ui->SerialMonitor1);
    if (MonitorForm) MonitorForm->ClearAll();
    if (DataSourceForm) DataSourceForm->ClearDisplay();
    router_.ResetLine();
    if (TDForm) TDForm->ResetAll();
    if (PositionForm) PositionForm->ResetAll();
    if (EurofixForm) EurofixForm->ResetAll();
    if (ui->LoranSound1->isChecked() && LoranSoundForm) LoranSoundForm->ResetAll();
}
