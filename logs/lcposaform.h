// One eLoran solution window: the position of the solution kinds it accepts,
// shown together with the residuals of the same epoch once both have arrived.
// The main window runs four of them (Coarse, Autonomous, ASF, Calibrated).
#pragma once

#include <memory>

#include "logs/lcposa.h"
#include "logs/logform.h"

#include "sentence/splitters.h"

namespace Ui { class TLCPOSAForm; }

class TLCPOSAForm : public LogForm {
    Q_OBJECT
public:
    static constexpr int StationRows = 10;

    explicit TLCPOSAForm(QAction *menuItem, QWidget *parent = nullptr);
    ~TLCPOSAForm() override;

    std::unique_ptr<Ui::TLCPOSAForm> ui;
    // Adds a solution kind this window shows (at most eight).
    void AcceptKind(char kind) { Epochs.Accept(kind); }
    void ShowData(const SentenceLine &line);
    void ShowData(const char *line) { ShowData(SentenceLine(line)); }

    // The epochs of the accepted kinds; each kind is paired on its own.
    LcposaKindEpochs Epochs;

private:
    void FormCreate();
    void ShowResiduals(const LcrsdaRecord &residuals);

    const char *caption_ = nullptr;   // the solution caption set last

};
