// TOAA Logs: the header values of the last good TOAA line and a row per station.
#pragma once

#include <memory>

#include "logs/logform.h"

#include "sentence/splitters.h"

namespace Ui { class TTOAAForm; }

class TTOAAForm : public LogForm {
    Q_OBJECT
public:
    explicit TTOAAForm(QAction *menuItem, QWidget *parent = nullptr);
    ~TTOAAForm() override;

    std::unique_ptr<Ui::TTOAAForm> ui;
    void ShowData(const SentenceLine &line);
    void ShowData(const char *line) { ShowData(SentenceLine(line)); }

private:
    void FormCreate();
};
