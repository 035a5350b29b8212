// HDGLA Logs: the loop-antenna heading of the last good HDGLA line and a row
// per station with its beam measurements and residual.
#pragma once

#include <memory>

#include "logs/logform.h"

#include "sentence/splitters.h"

namespace Ui { class THDGLAForm; }

class THDGLAForm : public LogForm {
    Q_OBJECT
public:
    explicit THDGLAForm(QAction *menuItem, QWidget *parent = nullptr);
    ~THDGLAForm() override;

    std::unique_ptr<Ui::THDGLAForm> ui;
    void ShowData(const SentenceLine &line);
    void ShowData(const char *line) { ShowData(SentenceLine(line)); }

private:
    void FormCreate();
};
