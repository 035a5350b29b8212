// PTNTA Logs: the time reference state of the last good PTNTA line.
#pragma once

#include <memory>

#include "logs/logform.h"

#include "sentence/splitters.h"

namespace Ui { class TPTNTAForm; }

class TPTNTAForm : public LogForm {
    Q_OBJECT
public:
    explicit TPTNTAForm(QAction *menuItem, QWidget *parent = nullptr);
    ~TPTNTAForm() override;

    std::unique_ptr<Ui::TPTNTAForm> ui;
    void ShowData(const SentenceLine &line);
    void ShowData(const char *line) { ShowData(SentenceLine(line)); }

private:
    void FormCreate();
};
