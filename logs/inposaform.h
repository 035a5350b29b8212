// INPOSA: the last good integrated position as a column of labelled values.
#pragma once

#include <memory>

#include "logs/logform.h"

#include "sentence/splitters.h"

namespace Ui { class TINPOSAForm; }

class TINPOSAForm : public LogForm {
    Q_OBJECT
public:
    explicit TINPOSAForm(QAction *menuItem, QWidget *parent = nullptr);
    ~TINPOSAForm() override;

    std::unique_ptr<Ui::TINPOSAForm> ui;
    void ShowData(const SentenceLine &line);
    void ShowData(const char *line) { ShowData(SentenceLine(line)); }

private:
    void FormCreate();
};
