#include "logs/gpposaform.h"

#include "logs/gpposa.h"
#include "logs/record_support.h"
#include "platform/plaintext.h"
#include "ui_gpposaform.h"

TGPPOSAForm::TGPPOSAForm(QAction *menuItem, QWidget *parent)
    : LogForm(menuItem, parent), ui(std::make_unique<Ui::TGPPOSAForm>())
{
    ui->setupUi(Client());
    ShowLabelsAsPlainText(Client());
    setWindowTitle("GPPOSA");
    SetClientSize(165, 280);
    FormCreate();
}

TGPPOSAForm::~TGPPOSAForm() = default;

void TGPPOSAForm::FormCreate() { MoveToTopLeft(); }

void TGPPOSAForm::ShowData(const SentenceLine &line)
{
    GpposaRecord r;
    if (r.Parse(line) != 0) return;
    Present([this, r] {
        ui->VersionLabel->setText(QString::fromLatin1(r.Version));
        ReceiverTimeText time = FormatReceiverTime(r.Time, r.Date, r.TimeSource);
        SetText(ui->TimeLabel, time.Time);
        SetText(ui->DateLabel, time.Date);
        SetText(ui->SourceLabel, time.Source);
        ui->ModeLabel->setText(GpposaModeText(r.PositionMode));
        SetText(ui->LatLabel, Printf("%9.7lf", r.Position.Latitude));
        SetText(ui->LonLabel, Printf("%9.7lf", r.Position.Longitude));
        SetText(ui->HeightLabel, Printf("%4.2f", r.Height));
        SetText(ui->UndulationLabel, Printf("%4.2f", r.Undulation));
        SetText(ui->VelocityLabel, Printf("%4.2f", r.Velocity));
        SetText(ui->HeadingLabel, Printf("%4.2f", r.Heading));
        SetText(ui->CompassLabel, Printf("%4.2f", r.Compass));
        SetText(ui->NumSVLabel, Printf("%d", r.SVs));
        SetText(ui->HDOPLabel, Printf("%3.2f", r.HDOP));
        SetText(ui->VDOPLabel, Printf("%3.2f", r.VDOP));
        SetText(ui->PDOPLabel, Printf("%3.2f", r.PDOP));
        SetText(ui->QualityLabel, r.Quality > 0.0f ? Printf("%3.2f", r.Quality) : std::string("- - -"));
    });
}
