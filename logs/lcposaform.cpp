#include "logs/lcposaform.h"

#include "platform/plaintext.h"
#include "sentence/fields.h"
#include "ui_lcposaform.h"

TLCPOSAForm::TLCPOSAForm(QAction *menuItem, QWidget *parent)
    : LogForm(menuItem, parent), ui(std::make_unique<Ui::TLCPOSAForm>())
{
    ui->setupUi(Client());
    ShowLabelsAsPlainText(Client());
    setWindowTitle("LCPOSA Logs");
    Grid = ui->StringGrid1;
    ExtraBottom = 2;   // four pixels below the grid in all
    SetClientSize(285, Client()->height());
    FormCreate();
}

TLCPOSAForm::~TLCPOSAForm() = default;

void TLCPOSAForm::FormCreate()
{
    Grid->SetColumnWidths({60, 70, 70});
    Grid->SetRowCount(StationRows + 1);
    Grid->SetHeadings({" Loran", " Residual (m)", " Weight"});
    FitGrid();
    PlaceAt(16, 16);
}

void TLCPOSAForm::ShowData(const SentenceLine &line)
{
    LcposaKindEpochs::Added added = Epochs.AddLine(line);
    if ((added.Result != 1 && added.Result != 2) || !added.Epoch) return;
    // The pairing runs per line; what it shows is taken as it stands now.
    const LcposaEpoch &epoch = *added.Epoch;
    Present([this, kind = added.Kind, time = epoch.EpochTime, p = epoch.ShownPosition, rows = epoch.ShownResiduals] {
        if (const char *caption = LoranSolutionCaption(kind); caption && caption != caption_) {
            setWindowTitle(caption);
            caption_ = caption;
        }
        SetText(ui->TimeLabel, Printf("%4.2lf", time));
        ui->VersionLabel->setText(QString::fromLatin1(p.Version));
        SetText(ui->LatLabel, Printf("%8.7lf", p.Position.Latitude));
        SetText(ui->LonLabel, Printf("%8.7lf", p.Position.Longitude));
        SetText(ui->DOPLabel, Printf("%3.2f", p.HDOP));
        SetText(ui->VelocityLabel, Printf("%3.2lf", p.Velocity));
        SetText(ui->HeadingLabel, Printf("%3.2lf", p.Heading));
        SetText(ui->CompassHeadingLabel, Printf("%3.2lf", p.Compass));
        SetText(ui->NumLoranLabel, Printf("%d", p.LoranCount));

        FitGrid();
        // The rows belong to the epoch shown: empty when it came without residuals.
        ShowResiduals(rows);
    });
}

// A row per stored station, the grid grown to hold them all; the rows after them emptied.
void TLCPOSAForm::ShowResiduals(const LcrsdaRecord &residuals)
{
    FitRows(residuals.StoredStations(), StationRows + 1);
    int stations = std::min(residuals.StoredStations(), Grid->RowCount() - 1);
    for (int i = 0; i < stations; ++i) {
        char id[8] = "";
        if (CodeToStationId(id, residuals.StationCodes[i]) != 0) id[0] = '\0';
        int row = i + 1;
        Grid->SetCell(0, row, id, 6);
        Grid->SetCell(1, row, Printf("%3.2f", residuals.Residuals[i]), 8);
        Grid->SetCell(2, row, Printf("%3.2f", residuals.Weights[i]), 8);
    }
    Grid->BlankRowsFrom(stations + 1);
}
