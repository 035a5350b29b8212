#pragma once

#include <QDialog>
#include <memory>

namespace Ui { class TAboutBox; }

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *owner = nullptr);
    ~TAboutBox() override;

    std::unique_ptr<Ui::TAboutBox> ui;
};
