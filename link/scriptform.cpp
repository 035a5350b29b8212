#include "link/scriptform.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <ctime>
#include <exception>
#include <new>

#include "app/forms.h"
#include "app/mainform.h"
#include "link/datasource.h"
#include "platform/memo.h"
#include "platform/notifier.h"
#include "platform/plaintext.h"
#include "platform/settings.h"
#include "ui_scriptform.h"

namespace {

// Resets a flag when the scope ends, also by an exception.
struct FlagGuard {
    bool &flag;
    explicit FlagGuard(bool &f) : flag(f) { flag = true; }
    ~FlagGuard() { flag = false; }
};

QString Text(const std::string &bytes) { return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size())); }

std::string Bytes(const QString &text) { return QFile::encodeName(text).toStdString(); }

} // namespace

TScriptForm::TScriptForm(QWidget *owner) : QDialog(owner), ui(std::make_unique<Ui::TScriptForm>())
{
    ui->setupUi(this);
    // Commands and replies are shown as written, never as markup.
    ShowLabelsAsPlainText(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1500);

    OpenScriptDialog.Title = "Open script file";
    OpenScriptDialog.DefaultExt = "scp";
    OpenScriptDialog.Filter = "Script files (*.scp)|*.scp|Text files (*.txt)|*.txt|All files (*.*)|*.*";

    SetTag(ui->WaitButton, 1);
    SetTag(ui->CloseButton, 0);
    SetProgress(1, 1);
    ui->ProgressLabel->setText("(0/0)");

    connect(Timer1, &QTimer::timeout, this, &TScriptForm::Timer1Timer);
    connect(ui->ChooseButton, &QPushButton::clicked, this, &TScriptForm::ChooseButtonClick);
    connect(ui->WaitButton, &QPushButton::clicked, this, &TScriptForm::WaitButtonClick);
    connect(ui->CloseButton, &QPushButton::clicked, this, &TScriptForm::CloseButtonClick);
}

TScriptForm::~TScriptForm() { FormDestroy(); }

int TScriptForm::Tag(const QObject *button) { return button->property("Tag").toInt(); }

void TScriptForm::SetTag(QObject *button, int tag) { button->setProperty("Tag", tag); }

// ---------------------------------------------------------------------------
// Settings
// ---------------------------------------------------------------------------

void TScriptForm::SetScriptKey(const char *key)
{
    if (!key) return;
    ScriptKey = key;
    SettingsStore store(SettingsStore::Mode::ReadOnly);
    if (!store.IsOpen()) return;
    std::optional<QString> folder = store.ReadString("ScriptDirectory");
    if (folder && !folder->isEmpty()) OpenScriptDialog.InitialDir = *folder;
}

void TScriptForm::FormDestroy()
{
    EndScript();
    if (!ScriptKey || OpenScriptDialog.FileName.isEmpty()) return;
    SettingsStore store(SettingsStore::Mode::Create);
    QString name = OpenScriptDialog.FileName;
    store.WriteString("ScriptDirectory", name.left(name.lastIndexOf('/') + 1));
    store.Commit();
}

// ---------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------

void TScriptForm::ChooseButtonClick() { LoadScript(); }

void TScriptForm::LoadScript()
{
    if (Running) {
        Notifier::Error("Script already running... Press cancel first", this);
        return;
    }
    if (!OpenScriptDialog.Execute(this)) return;
    const QString path = OpenScriptDialog.FileName;
    if (!ReadScriptFile(path)) return;

    SetProgress(0, CommandCount());
    Timer1->setInterval(10);
    Timer1->start();
    StartRun();
    ui->ChooseButton->setEnabled(false);
    ui->WaitButton->setEnabled(true);
    ui->CloseButton->setText("Stop");
    SetTag(ui->CloseButton, 1);
    AddMemoLine("---- Starting script file: " + Bytes(path) + " ----");
}

// Reads the script into the command list; false (with its message shown and
// nothing kept) when it cannot be used.
bool TScriptForm::ReadScriptFile(const QString &path)
{
    QFileInfo info(path);
    // Only a regular file has an end to read to: a pipe or a device would keep
    // the window waiting, and a huge file is no script.
    if (info.exists() && (!info.isFile() || info.size() > static_cast<qint64>(MaxScriptSize))) {
        Notifier::Error("Unable to upload scriptfile", this);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Notifier::Error("Cannot open script file", this);
        return false;
    }
    QByteArray data = file.read(static_cast<qint64>(MaxScriptSize) + 1);
    bool failed = file.error() != QFileDevice::NoError || data.size() > static_cast<qsizetype>(MaxScriptSize);
    file.close();
    if (!failed && data.isEmpty()) {
        Notifier::Error("      Empty script file      ", this);
        return false;
    }
    if (!failed) {
        try {
            // A log named without its folder is opened in the working folder, as written.
            ReadScript(data.constData(), static_cast<size_t>(data.size()));
        } catch (const std::bad_alloc &) {
            failed = true;
        }
    }
    if (failed) {
        EndRun();   // no half-read script is kept for the next one
        Notifier::Error("Unable to upload scriptfile", this);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// The run
// ---------------------------------------------------------------------------

void TScriptForm::Timer1Timer()
{
    // A message box opened while a command is sent runs the timers again: that
    // step is still going on.
    if (stepping_) return;
    FlagGuard busy(stepping_);
    Timer1->setInterval(200);
    StepResult result = Step();
    if (result.Ended) {
        ShowView(result.View);
        EndScript();
    } else if (Running) {
        ShowView(result.View);
    }
}

void TScriptForm::ShowView(const ScriptView &view)
{
    ui->CommandLabel->setText(Text(view.Command));
    ui->ResponseLabel->setText(Text(view.Response));
    ui->TimeoutLabel->setText(Text(view.Timeout));
    ui->TryLabel->setText(Text(view.Tries));
    ui->StatusLabel->setText(Text(view.Status));
    SetProgress(view.Position, view.Maximum);
    ui->ProgressLabel->setText(QString("(%1/%2)").arg(view.Position).arg(view.Maximum));
}

// A script without commands shows a full bar rather than the busy animation of an empty range.
void TScriptForm::SetProgress(int position, int maximum)
{
    if (maximum <= 0) {
        ui->ProgressBar1->setRange(0, 1);
        ui->ProgressBar1->setValue(position >= maximum ? 1 : 0);
        return;
    }
    ui->ProgressBar1->setRange(0, maximum);
    ui->ProgressBar1->setValue(position);
}

void TScriptForm::WaitButtonClick()
{
    if (Tag(ui->WaitButton) == 1) {
        Timer1->stop();
        ui->WaitButton->setText("Continue");
        SetTag(ui->WaitButton, 0);
    } else {
        Timer1->start();
        ui->WaitButton->setText("Wait");
        SetTag(ui->WaitButton, 1);
    }
}

void TScriptForm::CloseButtonClick()
{
    if (Tag(ui->CloseButton) == 0) close();
    else EndScript();
}

void TScriptForm::EndScript()
{
    Timer1->stop();
    EndRun();
    ui->ChooseButton->setEnabled(true);
    ui->WaitButton->setEnabled(false);
    ui->WaitButton->setText("Wait");
    SetTag(ui->WaitButton, 1);
    ui->CloseButton->setText("Close");
    SetTag(ui->CloseButton, 0);
}

void TScriptForm::FormClose() { EndScript(); }

void TScriptForm::done(int result)
{
    FormClose();
    QDialog::done(result);
}

// ---------------------------------------------------------------------------
// What a run reaches
// ---------------------------------------------------------------------------

void TScriptForm::SendCommand(const std::string &bytes)
{
    if (!DataSourceForm) return;
    try {
        DataSourceForm->SendData(bytes.data(), static_cast<int>(bytes.size()));
    } catch (const std::exception &e) {
        // The port refused the bytes: the report says so, and the command
        // waits for its reply, times out and fails like any unanswered one.
        AddMemoLine(e.what());
    }
}

void TScriptForm::AddMemoLine(const std::string &line)
{
    ui->Memo1->appendPlainText(Text(line));
    TrimMemoLines(ui->Memo1, MaxMemoLines);
}

bool TScriptForm::LogRecording() const { return MainForm && MainForm->Recording; }

bool TScriptForm::LogFileExists(const std::string &name) const { return QFileInfo::exists(QFile::decodeName(name.c_str())); }

bool TScriptForm::StartLog(const std::string &name)
{
    if (!MainForm) return false;
    MainForm->SaveDialog1.FileName = QFile::decodeName(name.c_str());
    return MainForm->StartRecording(true);
}

std::tm TScriptForm::LocalNow() const
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}
