// A spin button: an up half and a down half with no value of its own.
#pragma once

#include <QWidget>

class QToolButton;

class SpinButton : public QWidget {
    Q_OBJECT
public:
    explicit SpinButton(QWidget *parent = nullptr);

    QToolButton *UpButton() const { return up_; }
    QToolButton *DownButton() const { return down_; }

signals:
    void UpClick();
    void DownClick();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *up_;
    QToolButton *down_;
};
