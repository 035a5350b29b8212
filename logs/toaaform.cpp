#include "logs/toaaform.h"

#include <cstdio>

#include "logs/toaa.h"
#include "platform/plaintext.h"
#include "sentence/numfmt.h"
#include "ui_toaaform.h"

TTOAAForm::TTOAAForm(QAction *menuItem, QWidget *parent)
    : LogForm(menuItem, parent), ui(std::make_unique<Ui::TTOAAForm>())
{
    ui->setupUi(Client());
    ShowLabelsAsPlainText(Client());
    setWindowTitle("TOAA Logs");
    Grid = ui->StringGrid1;
    SetClientSize(742, Client()->height());
    FormCreate();
}

TTOAAForm::~TTOAAForm() = default;

void TTOAAForm::FormCreate()
{
    Grid->SetColumnWidths({60, 60, 60, 60, 60, 60, 60, 100, 100, 100});
    Grid->SetRowCount(7);
    Grid->SetHeadings({"Station", "  SS", "  SNR", "  B-Q", "  ECD", "  CI-Q", "  State", "  TOA (us)", "  Doppler",
                       "  LockTime"});
    FitGrid();
    MoveToTopLeft();
}

void TTOAAForm::ShowData(const SentenceLine &line)
{
    ToaaRecord r;
    if (r.Parse(line) != 0) return;
    Present([this, r] {
        SetText(ui->TimeLabel, FormatFixed(r.Timestamp, 9, 2));
        ui->NumStationsLabel->setText(QString::number(r.StationCount));
        SetText(ui->UpdateTimeLabel, FormatFixed(r.UpdateInterval, 6, 2));
        SetText(ui->IntegrationTimeLabel, FormatFixed(r.IntegrationTime, 6, 2));
        ui->ClockStringLabel->setText(QString::fromLatin1(r.ClockStatus));
        SetText(ui->ClockErrorLabel, FormatExponent(r.ClockError, 5, 2));
        ui->VersionLabel->setText(QString::fromLatin1(r.Version));
        SetText(ui->NoiseLoop1Label, FormatFixed(r.NoiseLoop1, 6, 2));
        SetText(ui->NoiseLoop2Label, FormatFixed(r.NoiseLoop2, 6, 2));

        FitRows(r.StationCount, 7);
        for (int k = 0; k < r.StationCount; ++k) {
            const ToaaRecord::StationEntry &s = r.Stations[k];
            int row = k + 1;
            char state[16];
            std::snprintf(state, sizeof state, "0x%04X", s.State);
            Grid->SetCell(0, row, s.Name, 6);
            Grid->SetCell(1, row, FormatFixed(s.SS, 6, 2), 6);
            Grid->SetCell(2, row, FormatFixed(s.SNR, 6, 2), 6);
            Grid->SetCell(3, row, FormatFixed(s.BQ, 5, 3), 6);
            Grid->SetCell(4, row, FormatFixed(s.ECD, 5, 3), 6);
            Grid->SetCell(5, row, FormatFixed(s.CIQ, 5, 3), 6);
            Grid->SetCell(6, row, state, 7);
            Grid->SetCell(7, row, FormatFixed(s.TOA, 12, 4), 12);
            Grid->SetCell(8, row, FormatExponent(s.Doppler, 3, 3), 12);
            Grid->SetCell(9, row, FormatFixed(s.LockTime, 9, 2), 12);
        }
        Grid->BlankRowsFrom(r.StationCount + 1);
    });
}
