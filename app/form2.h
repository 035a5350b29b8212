// The one-line description editor that lies over status panel 1.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui { class TForm2; }

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget *owner = nullptr);
    ~TForm2() override;

    std::unique_ptr<Ui::TForm2> ui;

    void FormShow();
    void Edit1KeyPress(int key);
    void Edit1Exit();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
