// The script sender ("Scripting..."): sends a script file of receiver commands
// one after the other, waits for their replies in the received stream, and
// reports every step. A 200 ms timer drives the run; nothing waits in place.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <string>

#include "link/script.h"
#include "platform/filedialog.h"

namespace Ui { class TScriptForm; }
class QTimer;

class TScriptForm : public QDialog, public ScriptSender {
    Q_OBJECT
public:
    explicit TScriptForm(QWidget *owner = nullptr);
    ~TScriptForm() override;

    std::unique_ptr<Ui::TScriptForm> ui;
    std::optional<std::string> ScriptKey;
    QTimer *Timer1 = nullptr;
    FileDialog OpenScriptDialog{FileDialog::Kind::Open};

    // The report keeps its newest lines only.
    static constexpr int MaxMemoLines = 10000;

    // Takes the settings key and reads the last script folder from it.
    void SetScriptKey(const char *key);
    void LoadScript();
    void EndScript();

    // A button's tag: WaitButton 1 while the run is not paused, CloseButton 1
    // while it stops a run.
    static int Tag(const QObject *button);

    // Handlers
    void ChooseButtonClick();
    void Timer1Timer();
    void WaitButtonClick();
    void CloseButtonClick();
    void FormClose();
    void FormDestroy();

protected:
    // Every way of closing the dialog (Close, the title bar, Escape) ends here.
    void done(int result) override;

    void SendCommand(const std::string &bytes) override;
    void AddMemoLine(const std::string &line) override;
    bool LogRecording() const override;
    bool LogFileExists(const std::string &name) const override;
    bool StartLog(const std::string &name) override;
    std::tm LocalNow() const override;

private:
    bool ReadScriptFile(const QString &path);
    void ShowView(const ScriptView &view);
    void SetProgress(int position, int maximum);
    static void SetTag(QObject *button, int tag);

    bool stepping_ = false;
};
