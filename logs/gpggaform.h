// GPGGA Logs: the last good GPGGA fix as ten labelled values.
#pragma once

#include <memory>

#include "logs/logform.h"

#include "sentence/splitters.h"

namespace Ui { class TGPGGAForm; }

class TGPGGAForm : public LogForm {
    Q_OBJECT
public:
    explicit TGPGGAForm(QAction *menuItem, QWidget *parent = nullptr);
    ~TGPGGAForm() override;

    std::unique_ptr<Ui::TGPGGAForm> ui;
    void ShowData(const SentenceLine &line);
    void ShowData(const char *line) { ShowData(SentenceLine(line)); }

private:
    void FormCreate();
};
