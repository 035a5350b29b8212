// The heading compass: up to three headings side by side, one column per
// source (eLoran, GPS, inertial), each with its user-set offset, and one needle
// per source over a compass rose. Fed every HDGA line, shown or not.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "plots/compass.h"
#include "plots/compassview.h"

#include "sentence/splitters.h"

namespace Ui { class THeadingForm; }
class BeatDrawing;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;

class THeadingForm : public QWidget {
    Q_OBJECT
public:
    explicit THeadingForm(QWidget *owner = nullptr);
    ~THeadingForm() override;

    std::unique_ptr<Ui::THeadingForm> ui;
    QMenu *PopupMenu1 = nullptr;
    QTimer *Timer1 = nullptr;

    // Which source owns each column, the headings shown, the offsets and the ages.
    HeadingColumns Columns;
    // Per column: its labels, and the edit of its offset.
    std::array<QLabel *, HeadingColumns::Count> SourceLabels{}, TimeLabels{}, HeadingLabels{}, HeadingStdLabels{},
        QualityLabels{}, OffsetLabels{};
    std::array<QLineEdit *, HeadingColumns::Count> OffsetEdits{};
    // The state of Button1: 0 "Offset:" (edits closed), 1 "Set" (edits open).
    int Button1Tag = 0;

    // Every HDGA line. The labels and needles it changes are drawn at the
    // screen-rate beat while the window can be seen.
    void NewData(const SentenceLine &line);
    void NewData(const char *line) { NewData(SentenceLine(line)); }
    // Draws now what waits for the beat.
    void DrawPending();
    BeatDrawing *Drawing() const { return drawing_; }

    void PaintDial();
    // The needles are drawn again at the window's turn, where the headings then stand.
    void DrawNeedles();

    // Settings "HF_Offset_0".."HF_Offset_2": read when the window is made,
    // written when it goes.
    void LoadOffsets();
    void SaveOffsets();

    // Handlers
    void FormCreate();
    void FormDestroy();
    void Timer1Timer();
    void AlwaysonTop1Click();
    void Button1Click();
    void EditKeyUp(int key);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What a column's labels say once drawn.
    struct ColumnText {
        QString Source, Time, Heading, HeadingStd, Quality, Offset;
        QColor SourceColour;   // invalid: as the label has it
    };
    // The numbers of a column's newest line, made into texts at the window's turn
    // (or before the user acts on them).
    struct Unformatted {
        double Time = 0.0;
        double Heading = 0.0, HeadingStd = 0.0, Quality = 0.0, Offset = 0.0;
        bool TimeWaiting = false, HeadingWaiting = false;
    };
    void FormatTexts(int column);
    std::vector<CompassView::Needle> Needles() const;
    void ShowSource(int column, char source);
    void EmptyColumn(int column);
    void SetOffsetsOrOpenEdits();
    void Draw();

    std::array<ColumnText, HeadingColumns::Count> texts_;
    std::array<Unformatted, HeadingColumns::Count> unformatted_{};
    bool needlesWaiting_ = false;
    BeatDrawing *drawing_ = nullptr;

    bool placed_ = false;
    // An Enter pressed in each edit and not yet released there.
    std::array<bool, HeadingColumns::Count> enterDown_{};
};
