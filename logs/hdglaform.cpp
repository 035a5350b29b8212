#include "logs/hdglaform.h"

#include "logs/hdgla.h"
#include "platform/plaintext.h"
#include "sentence/numfmt.h"
#include "ui_hdglaform.h"

THDGLAForm::THDGLAForm(QAction *menuItem, QWidget *parent)
    : LogForm(menuItem, parent), ui(std::make_unique<Ui::THDGLAForm>())
{
    ui->setupUi(Client());
    ShowLabelsAsPlainText(Client());
    setWindowTitle("HDGLA Logs");
    Grid = ui->StringGrid1;
    SetClientSize(653, Client()->height());
    FormCreate();
}

THDGLAForm::~THDGLAForm() = default;

void THDGLAForm::FormCreate()
{
    Grid->SetColumnWidths({80, 80, 80, 80, 80, 80, 80, 80});
    Grid->SetRowCount(7);
    Grid->SetHeadings({" Station", " Beam Ortn", " Meas Head", " Residual", "  Quality", " Calc Head", " Beam/Null",
                       "  Weight"});
    FitGrid();
    PlaceAt(32, 32);
}

void THDGLAForm::ShowData(const SentenceLine &line)
{
    HdglaRecord r;
    if (r.Parse(line) != 0) return;
    Present([this, r] {
        auto yesNo = [](int32_t flag) { return flag != 0 ? "Yes" : "No"; };
        SetText(ui->TimeLabel, FormatFixed(r.Timestamp, 9, 2));
        SetText(ui->NumStationsLabel, Printf("%d", r.StationCount));
        SetText(ui->UpdateTimeLabel, FormatFixed(r.UpdateInterval, 6, 2));
        SetText(ui->IntegrationTimeLabel, FormatFixed(r.IntegrationTime, 6, 2));
        SetText(ui->CiPosLabel, FormatFixed(r.CiPositive, 6, 2));
        SetText(ui->CiNegLabel, FormatFixed(r.CiNegative, 6, 2));
        ui->PosValidLabel->setText(yesNo(r.PositionValid));
        ui->AmbiguitySolvedLabel->setText(yesNo(r.AmbiguitySolved));
        ui->BeamFlippedLabel->setText(yesNo(r.AntennaUpsideDown));
        SetText(ui->ModeLabel, std::string(1, r.Mode));
        SetText(ui->HeadingLabel, FormatFixed(r.Heading, 6, 3));
        SetText(ui->HeadingStdLabel, FormatFixed(r.HeadingStd, 6, 3));
        SetText(ui->QualityLabel, FormatFixed(r.Quality, 6, 3));

        FitRows(r.StationCount, 7);
        for (int i = 0; i < r.StationCount; ++i) {
            const HdglaRecord::StationEntry &s = r.Stations[i];
            int row = i + 1;
            Grid->SetCell(0, row, s.Name, 7);
            Grid->SetCell(1, row, FormatFixed(s.BeamOrientation, 9, 3), 9);
            Grid->SetCell(2, row, FormatFixed(s.MeasuredHeading, 9, 3), 9);
            Grid->SetCell(3, row, FormatFixed(s.Residual(), 9, 3), 9);
            Grid->SetCell(4, row, FormatFixed(s.Quality, 9, 1), 9);
            Grid->SetCell(5, row, FormatFixed(s.CalculatedHeading, 9, 3), 9);
            Grid->SetCell(6, row, FormatFixed(s.BeamNull, 9, 2), 9);
            Grid->SetCell(7, row, FormatFixed(s.Weight, 9, 3), 9);
        }
        Grid->BlankRowsFrom(r.StationCount + 1);
    });
}
