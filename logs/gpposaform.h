// GPPOSA: the last good GPS position solution as a column of labelled values.
#pragma once

#include <memory>

#include "logs/logform.h"

#include "sentence/splitters.h"

namespace Ui { class TGPPOSAForm; }

class TGPPOSAForm : public LogForm {
    Q_OBJECT
public:
    explicit TGPPOSAForm(QAction *menuItem, QWidget *parent = nullptr);
    ~TGPPOSAForm() override;

    std::unique_ptr<Ui::TGPPOSAForm> ui;
    void ShowData(const SentenceLine &line);
    void ShowData(const char *line) { ShowData(SentenceLine(line)); }

private:
    void FormCreate();
};
