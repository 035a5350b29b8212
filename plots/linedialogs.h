// The TD plot's two small dialogs: the pen width of every series, and per
// series its colour and display offset.
#pragma once

#include <QColor>
#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/colordialog.h"

namespace Ui {
class TLineWidthDialog;
class TLineColorDialog;
} // namespace Ui

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TLineWidthDialog : public QDialog {
    Q_OBJECT
public:
    explicit TLineWidthDialog(QWidget *owner = nullptr);
    ~TLineWidthDialog() override;

    std::unique_ptr<Ui::TLineWidthDialog> ui;
    int32_t Width = 2;   // 1 to 10

    void FormShow();
    void CSpinButton1UpClick();
    void CSpinButton1DownClick();

protected:
    void showEvent(QShowEvent *event) override;
};

class TLineColorDialog : public QDialog {
    Q_OBJECT
public:
    explicit TLineColorDialog(QWidget *owner = nullptr);
    ~TLineColorDialog() override;

    std::unique_ptr<Ui::TLineColorDialog> ui;
    ColorDialog ColorDialog1;

    // One entry per row; as many rows as there are series.
    std::vector<QColor> Colours;
    std::vector<int64_t> Offsets;
    int32_t RowCount = 0;

    // Builds a row per series: its title, a swatch of its colour, a "Change"
    // button and an offset edit, enabled when offsetsEditable.
    void Setup(const std::vector<QColor> &colours, const QStringList &titles, int32_t count, bool offsetsEditable,
               const std::vector<int64_t> &offsets);

    QLabel *RowLabel(int row) const { return row >= 0 && row < RowCount ? labels_[static_cast<size_t>(row)] : nullptr; }
    QFrame *RowSwatch(int row) const { return row >= 0 && row < RowCount ? swatches_[static_cast<size_t>(row)] : nullptr; }
    QPushButton *RowButton(int row) const { return row >= 0 && row < RowCount ? buttons_[static_cast<size_t>(row)] : nullptr; }
    QLineEdit *RowEdit(int row) const { return row >= 0 && row < RowCount ? edits_[static_cast<size_t>(row)] : nullptr; }

    void ChangeButtonClick(int row);
    // OK: reads every offset; the dialog stays open on the first bad one.
    void BitBtn1Click();
    void FormDestroy();

private:
    void DeleteRows();
    void BuildRows(const QStringList &titles, bool offsetsEditable);
    void FitToScreen();
    static void Fill(QFrame *swatch, const QColor &colour);

    std::vector<QLabel *> labels_;
    std::vector<QFrame *> swatches_;
    std::vector<QPushButton *> buttons_;
    std::vector<QLineEdit *> edits_;
};
