// SYNCA Logs: the last good tie of the receiver's sample clock to UTC.
#pragma once

#include <memory>

#include "logs/logform.h"

#include "sentence/splitters.h"

namespace Ui { class TSYNCAForm; }

class TSYNCAForm : public LogForm {
    Q_OBJECT
public:
    explicit TSYNCAForm(QAction *menuItem, QWidget *parent = nullptr);
    ~TSYNCAForm() override;

    std::unique_ptr<Ui::TSYNCAForm> ui;
    void ShowData(const SentenceLine &line);
    void ShowData(const char *line) { ShowData(SentenceLine(line)); }

private:
    void FormCreate();
};
