// NOTCHA Logs: the last good NOTCHA line and a row per notch in use
// (frequency and bandwidth both above zero).
#pragma once

#include <memory>

#include "logs/logform.h"

#include "sentence/splitters.h"

namespace Ui { class TNOTCHAForm; }

class TNOTCHAForm : public LogForm {
    Q_OBJECT
public:
    explicit TNOTCHAForm(QAction *menuItem, QWidget *parent = nullptr);
    ~TNOTCHAForm() override;

    std::unique_ptr<Ui::TNOTCHAForm> ui;
    void ShowData(const SentenceLine &line);
    void ShowData(const char *line) { ShowData(SentenceLine(line)); }

private:
    void FormCreate();
};
