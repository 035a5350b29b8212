#include "logs/inposaform.h"

#include "logs/inposa.h"
#include "logs/record_support.h"
#include "platform/plaintext.h"
#include "ui_inposaform.h"

TINPOSAForm::TINPOSAForm(QAction *menuItem, QWidget *parent)
    : LogForm(menuItem, parent), ui(std::make_unique<Ui::TINPOSAForm>())
{
    ui->setupUi(Client());
    ShowLabelsAsPlainText(Client());
    setWindowTitle("INPOSA");
    SetClientSize(165, 280);
    FormCreate();
}

TINPOSAForm::~TINPOSAForm() = default;

void TINPOSAForm::FormCreate() { PlaceAt(80, 80); }

void TINPOSAForm::ShowData(const SentenceLine &line)
{
    InposaRecord r;
    if (r.Parse(line) != 0) return;
    Present([this, r] {
        ui->VersionLabel->setText(QString::fromLatin1(r.Version));
        ReceiverTimeText time = FormatReceiverTime(r.Time, r.Date, r.TimeSource);
        SetText(ui->TimeLabel, time.Time);
        SetText(ui->DateLabel, time.Date);
        SetText(ui->SourceLabel, time.Source);
        ui->GPSModeLabel->setText(InposaGpsModeText(r.GpsMode()));
        ui->LoranModeLabel->setText(InposaLoranModeText(r.LoranMode()));
        SetText(ui->LatLabel, Printf("%9.7lf", r.Position.Latitude));
        SetText(ui->LonLabel, Printf("%9.7lf", r.Position.Longitude));
        SetText(ui->HeightLabel, Printf("%4.2f", r.Height));
        SetText(ui->UndulationLabel, Printf("%4.2f", r.Undulation));
        SetText(ui->VelocityLabel, Printf("%4.2f", r.Velocity));
        SetText(ui->HeadingLabel, Printf("%4.2f", r.Heading));
        SetText(ui->CompassLabel, Printf("%4.2f", r.Compass));
        SetText(ui->NumSVLabel, Printf("%d", r.SVCount));
        SetText(ui->NumLoranLabel, Printf("%d", r.LoranCount));
        SetText(ui->HDOPLabel, Printf("%3.2f", r.HDOP));
        SetText(ui->QualityLabel, r.Quality > 0.0f ? Printf("%3.2f", r.Quality) : std::string("- - -"));
    });
}
