// Serial Monitor: the raw traffic, the lines passing a filter, the command
// line with its history, and play/pause/step while a log file is replayed.
#pragma once

#include <QComboBox>
#include <QHash>
#include <functional>
#include <memory>
#include <optional>

#include "app/mdichild.h"
#include "link/monitortext.h"

namespace Ui { class TMonitorForm; }
class BeatDrawing;
class TrafficPane;
struct ControlWidth;

// The command line: tells its owner before its list drops down.
class HistoryComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    std::function<void()> OnDropDown;
    void showPopup() override;
};

class TMonitorForm : public MdiChildForm {
    Q_OBJECT
public:
    explicit TMonitorForm(QAction *menuItem, QWidget *parent = nullptr);
    ~TMonitorForm() override;

    std::unique_ptr<Ui::TMonitorForm> ui;
    MonitorText Text;
    CommandHistory History;

    void AddData(const QByteArray &chunk);
    void ClearAll();
    void SetPlaying();
    void SetPausing();
    void ResetPlayButtons();
    void ChooseGroupBox();
    void UpdateCaption();
    // Shows the texts now (normally done a moment after the data arrived).
    void RefreshPanes();

    // Handlers
    void FormCreate();
    void FormResize();
    void Button5Click();
    void ComboBox1KeyUp(int key);
    void ComboBox1DropDown();
    void Button1Click();
    void Button2Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void Button4Click();
    void RadioButton1Click();
    void RadioButton2Click();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static void UpdatePane(TrafficPane *pane, const std::string &text);
    BeatDrawing *drawing_ = nullptr;   // the panes' turns to take the traffic
    static std::optional<int> ReadInteger(const QString &text);
    void FocusControls();
    void PaneEnter(TrafficPane *pane);
    void PaneExit(TrafficPane *pane, const std::string &text);
    void ResumePanes();
    bool PaneRightButton(QEvent *event);
    bool ready_ = false;
    void LayCommandControls(int groupWidth);
    void LayFileControls(int groupWidth);
    void LaySelectControls(int clientWidth);
    ControlWidth WidthOf(QWidget *control, const QStringList &captions = {}) const;
    QHash<const QWidget *, int> formWidth_;
    QHash<const QWidget *, int> fileGaps_;
};
