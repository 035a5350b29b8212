// DASFA Logs: time, date, source and position of the last good DASFA line and a
// row per station with its DASF value and quality.
#pragma once

#include <memory>

#include "logs/logform.h"

#include "sentence/splitters.h"

namespace Ui { class TDASFAForm; }

class TDASFAForm : public LogForm {
    Q_OBJECT
public:
    explicit TDASFAForm(QAction *menuItem, QWidget *parent = nullptr);
    ~TDASFAForm() override;

    std::unique_ptr<Ui::TDASFAForm> ui;
    void ShowData(const SentenceLine &line);
    void ShowData(const char *line) { ShowData(SentenceLine(line)); }

private:
    void FormCreate();
};
