#include "logs/notchaform.h"

#include "logs/notcha.h"
#include "platform/plaintext.h"
#include "sentence/numfmt.h"
#include "ui_notchaform.h"

TNOTCHAForm::TNOTCHAForm(QAction *menuItem, QWidget *parent)
    : LogForm(menuItem, parent), ui(std::make_unique<Ui::TNOTCHAForm>())
{
    ui->setupUi(Client());
    ShowLabelsAsPlainText(Client());
    setWindowTitle("NOTCHA Logs");
    Grid = ui->StringGrid1;
    SetClientSize(190, Client()->height());
    FormCreate();
}

TNOTCHAForm::~TNOTCHAForm() = default;

void TNOTCHAForm::FormCreate()
{
    Grid->SetColumnWidths({40, 70, 70});
    Grid->SetRowCount(9);
    Grid->SetHeadings({" Num", "Frequency", "Bandwidth"});
    FitGrid();
    MoveToTopLeft();
}

void TNOTCHAForm::ShowData(const SentenceLine &line)
{
    NotchaRecord r;
    if (r.Parse(line) != 0) return;
    Present([this, r] {
        SetText(ui->TimeLabel, FormatFixed(r.Timestamp, 9, 2));
        SetText(ui->NumNotchesLabel, Printf("%d", r.NumNotches));
        SetText(ui->ActiveNotchesLabel, Printf("%d", r.ActiveNotches));
        ui->VersionLabel->setText(QString::fromLatin1(r.Version));

        // Sized by the active count, but never beyond the notches the line carries.
        FitRows(r.BoundedActiveNotches(), 9);
        int row = 1;
        for (int i : r.ListedNotches()) {
            if (row >= Grid->RowCount()) break;
            const NotchaRecord::NotchEntry &n = r.Notches[i];
            Grid->SetCell(0, row, Printf("%d", i), 4);
            Grid->SetCell(1, row, FormatFixed(n.Frequency, 6, 1), 7);
            Grid->SetCell(2, row, FormatFixed(n.Bandwidth, 6, 3), 7);
            ++row;
        }
        Grid->BlankRowsFrom(row);
    });
}
