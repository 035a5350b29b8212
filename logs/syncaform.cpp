#include "logs/syncaform.h"

#include "logs/synca.h"
#include "platform/plaintext.h"
#include "ui_syncaform.h"

TSYNCAForm::TSYNCAForm(QAction *menuItem, QWidget *parent)
    : LogForm(menuItem, parent), ui(std::make_unique<Ui::TSYNCAForm>())
{
    ui->setupUi(Client());
    ShowLabelsAsPlainText(Client());
    setWindowTitle("SYNCA Logs");
    SetClientSize(298, 151);
    FormCreate();
}

TSYNCAForm::~TSYNCAForm() = default;

void TSYNCAForm::FormCreate() { PlaceAt(748, 0); }

void TSYNCAForm::ShowData(const SentenceLine &line)
{
    SyncaRecord r;
    if (r.Parse(line) != 0) return;
    Present([this, r] {
        SetText(ui->DateLabel, Printf("%02i/%02i/%04i", r.Day, r.Month, r.Year));
        SetText(ui->TimeLabel, Printf("%02i:%02i:%02i", r.Hour, r.Minute, r.Second));
        ui->VersionLabel->setText(QString::fromLatin1(r.Version));
        ui->SourceLabel->setText(QString::fromLatin1(r.SourceText().c_str()));
        ui->UTCLabel->setText(r.UtcSync != 0 ? "Yes" : "No");
        SetText(ui->LeapSecondsLabel, Printf("%i", r.LeapSeconds));
        SetText(ui->OffsetLabel, Printf("%1.1f", r.Offset));
        SetText(ui->LoranTimeLabel, Printf("%11.9lf", r.LoranTime()));
        SetText(ui->SampleCountLabel, Printf("%8.6lf", r.SampleCount));
    });
}
