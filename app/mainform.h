// The main frame window: menus, status bar with clock, the router of every
// received chunk and the recording of the raw stream.
#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>
#include <memory>

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

    // Handlers
    void FormCreate();
    void FormResize();
    void Timer1Timer();
    void File1Click();
    void Save1Click();
    void Adddescription1Click();
    void StatusBar1DblClick();
    void Exit2Click();
    void About1Click();
    void TDPlot1Click();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    bool ScriptRunning() const override;
    void ScriptLine(const char *line) override;
    void Route(SentenceType type, const char *line) override;
    bool WriteRecording(const QByteArray &chunk);
    void BuildPopupMenu();

    SentenceRouter router_{*this};
};
