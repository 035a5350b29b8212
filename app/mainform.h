// The main frame window: menus, status bar with clock, the router of every
// received chunk and the recording of the raw stream.
#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/mdichild.h"
#include "app/router.h"
#include "platform/filedialog.h"
#include "platform/statuspanels.h"

namespace Ui { class TMainForm; }
class QMdiArea;
class QMenu;

inline constexpr const char *VersionText = "7.23";
inline constexpr int BuildNumber = 1772;

class TMainForm : public QMainWindow, private RouteTarget {
    Q_OBJECT
public:
    explicit TMainForm(QWidget *owner = nullptr);
    ~TMainForm() override;

    std::unique_ptr<Ui::TMainForm> ui;
    QMdiArea *ClientArea = nullptr;
    StatusPanels *StatusBar1 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QTimer *Timer1 = nullptr;
    FileDialog SaveDialog1{FileDialog::Kind::Save};

    bool ExtendedMenus = false;   // the "DravOutput" switch

    // Recording of the raw stream
    bool Recording = false;
    FILE *RecordFile = nullptr;
    float BytesLogged = 0.0f;
    QString RecordFileName;

    // The router: every received chunk, exactly as it arrived.
    void ReceiveData(const QByteArray &chunk);
    void ResetViews();
    const std::string &LastLine(SentenceType type) const { return router_.LastLine(type); }
    int PendingLineLength() const { return router_.PendingLineLength(); }

    bool StartRecording(bool quiet);
    void StopRecording(bool quiet);
    QString LoggedText() const;

    void SetDescription(const QString &text);

    // ---- Window menus and layout ----
    // A window made on demand from its View item (log windows, serial monitor,
    // Loran sound). `create` makes it and stores it in its global; `placed`
    // runs once the frame has shown it; `deleted` runs when the menu deletes it.
    struct ViewWindow {
        QAction *item = nullptr;
        QAction *twin = nullptr;
        std::function<MdiChildForm *(QAction *item)> create;
        std::function<void(MdiChildForm *)> placed;
        std::function<void()> deleted;
        QPointer<MdiChildForm> Tag;
    };
    void RegisterOnDemand(ViewWindow window);
    // The usual log window: built with its item, given the last line of its type.
    template <typename Form>
    void RegisterLogWindow(QAction *item, QAction *twin, Form *&global, std::optional<SentenceType> lastLine,
                           std::function<void(MdiChildForm *)> placed = {})
    {
        RegisterOnDemand({item, twin,
                          [this, &global, lastLine](QAction *it) -> MdiChildForm * {
                              global = new Form(it);
                              global->ShowData(lastLine ? LastLine(*lastLine).c_str() : "");
                              return global;
                          },
                          std::move(placed), [&global] { global = nullptr; }, {}});
    }
    // A window that always exists (made at start-up): its item's handler shows it
    // and brings it to the front; the layout store and restore find it here.
    void RegisterFixed(QAction *item, std::function<QWidget *()> window);
    static void ShowFixed(QWidget *window);

    void ToggleWindow(QAction *item);
    void ShowFromPopup(QAction *item);
    // The window of a View item, or null (an on-demand window only while its item is checked).
    QWidget *WindowOf(QAction *item) const;

    void All1Click();
    void StorecurrentWindows1Click();
    void RestorelastWindows1Click();
    void WindowTileHorizontal1Execute();
    void CloseAll1Click();
    void Window1Click();
    void FormMouseDown(Qt::MouseButton button, const QPoint &clientPos);
    // The serial monitor's place when it opens: along the bottom of the frame.
    void PlaceMonitor(QWidget *monitor);
    // The frame's client height as the layout figures count it (status bar included).
    int FrameClientHeight() const;

    // Handlers
    void FormCreate();
    void FormResize();
    void Timer1Timer();
    void File1Click();
    void DataSourceClick();
    void Script1Click();
    void Save1Click();
    void Adddescription1Click();
    void StatusBar1DblClick();
    void Exit2Click();
    void About1Click();
    void TDPlot1Click();
    void HDGA1Click();
    void FFTplot1Click();
    void EurofixData1Click();
    void PositionPlot1Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool ScriptRunning() const override;
    void ScriptLine(const char *line) override;
    void Route(SentenceType type, const char *line) override;
    void RouteLine(SentenceType type, const SentenceLine &line) override;
    bool WriteRecording(const QByteArray &chunk);
    void BuildPopupMenu();
    void RegisterViews();
    void ConnectWindowMenus();
    void DeleteOnDemandWindows();
    ViewWindow *OnDemandOf(QAction *item);
    QList<QAction *> ViewItems() const;
    void TileDefaultLogs();

    // Show Default Logs tiles in the maximised frame. A window manager gives
    // the frame that size some time after the request, so the windows are
    // tiled at once and again on every resize within MaximiseWait.
    static constexpr int MaximiseWait = 1000;   // ms
    QTimer maximiseWait_;

    struct FixedWindow {
        QAction *item = nullptr;
        std::function<QWidget *()> window;
        QPointer<QWidget> Tag;   // set when the layout is stored or restored
    };
    std::vector<std::unique_ptr<ViewWindow>> onDemand_;
    std::vector<FixedWindow> fixed_;

    SentenceRouter router_{*this};
};
