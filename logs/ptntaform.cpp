#include "logs/ptntaform.h"

#include "logs/ptnta.h"
#include "platform/plaintext.h"
#include "ui_ptntaform.h"

TPTNTAForm::TPTNTAForm(QAction *menuItem, QWidget *parent)
    : LogForm(menuItem, parent), ui(std::make_unique<Ui::TPTNTAForm>())
{
    ui->setupUi(Client());
    ShowLabelsAsPlainText(Client());
    setWindowTitle("PTNTA Logs");
    SetClientSize(222, 104);
    FormCreate();
}

TPTNTAForm::~TPTNTAForm() = default;

void TPTNTAForm::FormCreate() { PlaceAt(748, 177); }

void TPTNTAForm::ShowData(const SentenceLine &line)
{
    PtntaRecord r;
    if (r.Parse(line) != 0) return;
    Present([this, r] {
        SetText(ui->DateLabel, Printf("%02i/%02i/%04i", r.Day, r.Month, r.Year));
        SetText(ui->TimeLabel, Printf("%02i:%02i:%02i", r.Hour, r.Minute, r.Second));
        ui->QualityLabel->setText(r.QualityText());
        SetText(ui->PPSLabel, Printf("%07i", r.PpsCount));
        SetText(ui->PhaseLabel, Printf("%+04i", r.Phase));
        SetText(ui->PPSDiffLabel, Printf("%1.0lf ns", r.PpsDiff * 1e9));
    });
}
