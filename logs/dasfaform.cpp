#include "logs/dasfaform.h"

#include "logs/dasfa.h"
#include "logs/record_support.h"
#include "platform/plaintext.h"
#include "sentence/numfmt.h"
#include "ui_dasfaform.h"

TDASFAForm::TDASFAForm(QAction *menuItem, QWidget *parent)
    : LogForm(menuItem, parent), ui(std::make_unique<Ui::TDASFAForm>())
{
    ui->setupUi(Client());
    ShowLabelsAsPlainText(Client());
    setWindowTitle("DASFA Logs");
    Grid = ui->StringGrid1;
    SetClientSize(238, Client()->height());
    FormCreate();
}

TDASFAForm::~TDASFAForm() = default;

void TDASFAForm::FormCreate()
{
    Grid->SetColumnWidths({75, 75, 75});
    Grid->SetRowCount(7);
    Grid->SetHeadings({"Station", " DASF (us)", " Quality"});
    FitGrid();
    PlaceAt(16, 16);
}

void TDASFAForm::ShowData(const SentenceLine &line)
{
    DasfaRecord r;
    if (r.Parse(line) != 0) return;
    Present([this, r] {
        ui->VersionLabel->setText(QString::fromLatin1(r.Version));
        ReceiverTimeText time = FormatReceiverTime(r.Time, r.Date, r.TimeSource);
        SetText(ui->TimeLabel, time.Time);
        SetText(ui->DateLabel, time.Date);
        SetText(ui->SourceLabel, time.Source);
        if (r.PositionValid != 0) {
            SetText(ui->LatLabel, Printf("%9.7lf", r.Latitude));
            SetText(ui->LonLabel, Printf("%9.7lf", r.Longitude));
        } else {
            ui->LatLabel->setText("- - -");
            ui->LonLabel->setText("- - -");
        }
        SetText(ui->NumStationsLabel, Printf("%d", r.StationCount));

        FitRows(r.StationCount, 7);
        for (int k = 0; k < r.StationCount; ++k) {
            const DasfaRecord::StationEntry &s = r.Stations[k];
            int row = k + 1;
            Grid->SetCell(0, row, s.Name, 6);
            Grid->SetCell(1, row, FormatFixed(s.DASF, 9, 3), 8);
            Grid->SetCell(2, row, FormatFixed(s.Quality, 9, 4), 8);
        }
        Grid->BlankRowsFrom(r.StationCount + 1);
    });
}
