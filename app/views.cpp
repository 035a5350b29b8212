// Which window shows what: the View items of the windows made on demand, and
// the views each recognised line is handed to.
#include "app/forms.h"
#include "app/mainform.h"
#include "logs/toaaform.h"
#include "logs/dasfaform.h"
#include "logs/gpggaform.h"
#include "logs/gpposaform.h"
#include "logs/inposaform.h"
#include "logs/syncaform.h"
#include "logs/hdglaform.h"
#include "logs/notchaform.h"
#include "logs/ptntaform.h"
#include "logs/lcposaform.h"
#include "link/monitorform.h"
#include "plots/headingform.h"
#include "plots/fftplot.h"
#include "plots/eurofixform.h"
#include "plots/loransound.h"
#include "plots/positionform.h"
#include "plots/tdplot.h"
#include "ui_mainform.h"

namespace {

// The opening step of a Loran solution window: the kinds it shows, and its place
// moved right and down by offset pixels.
std::function<void(MdiChildForm *)> LcposaPlaced(const char *kinds, int offset)
{
    return [kinds, offset](MdiChildForm *form) {
        auto *window = static_cast<TLCPOSAForm *>(form);
        for (const char *k = kinds; *k; ++k) window->AcceptKind(*k);
        window->move(window->pos() + QPoint(offset, offset));
    };
}

} // namespace

void TMainForm::RegisterViews()
{
    RegisterLogWindow(ui->TOAA1, ui->TOAA2, TOAAForm, SentenceType::Toaa);
    RegisterLogWindow(ui->DASFA1, ui->DASFA2, DASFAForm, SentenceType::Dasfa);
    RegisterLogWindow(ui->GPGGA1, ui->GPGGA2, GPGGAForm, SentenceType::Gpgga);
    RegisterLogWindow(ui->GPPOSA1, ui->GPPOSA2, GPPOSAForm, SentenceType::Gpposa);
    RegisterLogWindow(ui->INPOSA1, ui->INPOSA2, INPOSAForm, SentenceType::Inposa);
    RegisterLogWindow(ui->SYNCA1, ui->SYNCA2, SYNCAForm, SentenceType::Synca);
    RegisterLogWindow(ui->HDGLA1, ui->HDGLA2, HDGLAForm, SentenceType::Hdgla);
    RegisterLogWindow(ui->NOTCHA1, ui->NOTCHA2, NOTCHAForm, SentenceType::Notcha);
    RegisterLogWindow(ui->PTNTA1, ui->PTNTA2, PTNTAForm, SentenceType::Ptnta);
    RegisterLogWindow(ui->LCPOSA1, ui->LCPOSACoarse1, LCPOSAForms[0], std::nullopt, LcposaPlaced("C", 0));
    RegisterLogWindow(ui->LCPOSA2, ui->LCPOSAAutonomous1, LCPOSAForms[1], std::nullopt, LcposaPlaced("A", 16));
    RegisterLogWindow(ui->LCPOSA3, ui->LCPOSAASF1, LCPOSAForms[2], std::nullopt, LcposaPlaced("SD", 32));
    RegisterLogWindow(ui->LCPOSA4, ui->LCPOSACalibrated1, LCPOSAForms[3], std::nullopt, LcposaPlaced("G", 48));
    RegisterOnDemand({ui->LoranSound1, ui->LoranSound2,
                      [](QAction *item) -> MdiChildForm * { return LoranSoundForm = new TLoranSoundForm(item); }, {},
                      [] { LoranSoundForm = nullptr; }, {}});
    RegisterFixed(ui->TDPlot1, [] { return static_cast<QWidget *>(TDForm); });
    RegisterFixed(ui->HDGA1, [] { return static_cast<QWidget *>(HeadingForm); });
    RegisterFixed(ui->FFTplot1, [] { return static_cast<QWidget *>(FFTForm); });
    RegisterFixed(ui->EurofixData1, [] { return static_cast<QWidget *>(EurofixForm); });
    RegisterFixed(ui->PositionPlot1, [] { return static_cast<QWidget *>(PositionForm); });
    RegisterOnDemand({ui->SerialMonitor1, ui->SerialMonitor2,
                      [](QAction *item) -> MdiChildForm * { return MonitorForm = new TMonitorForm(item); },
                      [this](MdiChildForm *monitor) { PlaceMonitor(monitor); }, [] { MonitorForm = nullptr; }, {}});
}

void TMainForm::Route(SentenceType type, const char *line) { RouteLine(type, SentenceLine(line)); }

// Per line: the log window while its item is checked, then the views fed always.
// Every reader shares the line's one split.
void TMainForm::RouteLine(SentenceType type, const SentenceLine &line)
{
    switch (type) {
    case SentenceType::Toaa:
        if (ui->TOAA1->isChecked()) TOAAForm->ShowData(line);
        TDForm->NewData(line);
        break;
    case SentenceType::Dlora:
        TDForm->NewData(line);
        break;
    case SentenceType::Dasfa:
        if (ui->DASFA1->isChecked()) DASFAForm->ShowData(line);
        TDForm->NewData(line);
        break;
    case SentenceType::Gpgga:
        if (ui->GPGGA1->isChecked()) GPGGAForm->ShowData(line);
        PositionForm->NewData(line);
        break;
    case SentenceType::Hdga:
        HeadingForm->NewData(line);
        break;
    case SentenceType::Hdgla:
        if (ui->HDGLA1->isChecked()) HDGLAForm->ShowData(line);
        break;
    case SentenceType::Ptnta:
        if (ui->PTNTA1->isChecked()) PTNTAForm->ShowData(line);
        break;
    case SentenceType::Synca:
        if (ui->SYNCA1->isChecked()) SYNCAForm->ShowData(line);
        PositionForm->NewData(line);
        break;
    case SentenceType::Rmsg:
        EurofixForm->NewData(line);
        break;
    case SentenceType::Gpposa:
        if (ui->GPPOSA1->isChecked()) GPPOSAForm->ShowData(line);
        PositionForm->NewData(line);
        break;
    case SentenceType::Inposa:
        if (ui->INPOSA1->isChecked()) INPOSAForm->ShowData(line);
        PositionForm->NewData(line);
        break;
    case SentenceType::Lcposa:
        if (ui->LCPOSA1->isChecked()) LCPOSAForms[0]->ShowData(line);
        if (ui->LCPOSA2->isChecked()) LCPOSAForms[1]->ShowData(line);
        if (ui->LCPOSA3->isChecked()) LCPOSAForms[2]->ShowData(line);
        if (ui->LCPOSA4->isChecked()) LCPOSAForms[3]->ShowData(line);
        PositionForm->NewData(line);
        break;
    case SentenceType::Fft:
        FFTForm->NewData(line);
        break;
    case SentenceType::Notcha:
        if (ui->NOTCHA1->isChecked()) NOTCHAForm->ShowData(line);
        FFTForm->NewData(line);
        break;
    case SentenceType::Audio:
        if (ui->LoranSound1->isChecked()) LoranSoundForm->NewData(line);
        break;
    case SentenceType::Psrposa:
        PositionForm->NewData(line);
        break;
    }
}
