#include "logs/gpggaform.h"

#include "logs/gpgga.h"
#include "platform/plaintext.h"
#include "ui_gpggaform.h"

TGPGGAForm::TGPGGAForm(QAction *menuItem, QWidget *parent)
    : LogForm(menuItem, parent), ui(std::make_unique<Ui::TGPGGAForm>())
{
    ui->setupUi(Client());
    ShowLabelsAsPlainText(Client());
    setWindowTitle("GPGGA Logs");
    SetClientSize(159, 167);
    FormCreate();
}

TGPGGAForm::~TGPGGAForm() = default;

void TGPGGAForm::FormCreate() { PlaceAt(96, 96); }

void TGPGGAForm::ShowData(const SentenceLine &line)
{
    GpggaRecord r;
    if (r.Parse(line) != 0) return;
    Present([this, r] {
        SetText(ui->TimeLabel, Printf("%4.2lf", r.Time));
        SetText(ui->LatLabel, Printf("%7.5lf", r.Latitude));
        SetText(ui->LatCharLabel, std::string(1, r.LatHemisphere));
        SetText(ui->LonLabel, Printf("%7.5lf", r.Longitude));
        SetText(ui->LonCharLabel, std::string(1, r.LonHemisphere));
        ui->ModeLabel->setText(FixQualityText(r.FixQuality));
        SetText(ui->NumObsLabel, Printf("%d", r.Satellites));
        SetText(ui->HDOPLabel, Printf("%3.2f", r.HDOP));
        SetText(ui->HeightLabel, Printf("%3.2lf", r.Altitude));
        SetText(ui->UndulationLabel, Printf("%3.2lf", r.Undulation));
        SetText(ui->AgeLabel, Printf("%3.2lf", r.DgpsAge));
        SetText(ui->RTCMIDLabel, r.DgpsStation != 0 ? Printf("%d", r.DgpsStation) : std::string());
    });
}
