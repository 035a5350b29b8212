// Recording of the raw received stream into a file, exactly as received.
#include <QFileInfo>

#include "app/formatsi.h"
#include "app/mainform.h"
#include "platform/notifier.h"
#include "ui_mainform.h"

bool TMainForm::WriteRecording(const QByteArray &chunk)
{
    size_t length = static_cast<size_t>(chunk.size());
    if (length == 0) return true;
    size_t written = std::fwrite(chunk.constData(), 1, length, RecordFile);
    // A write the buffer accepted but the disk refused shows up at the flush.
    if (written != length || std::fflush(RecordFile) != 0) return false;
    BytesLogged += static_cast<float>(length);
    return true;
}

void TMainForm::Save1Click()
{
    if (Recording) {
        StopRecording(false);
        return;
    }
    if (SaveDialog1.Execute(this)) StartRecording(false);
}

bool TMainForm::StartRecording(bool quiet)
{
    if (Recording) return true;
    // Binary mode: the file holds the stream byte for byte, so it replays identically.
    RecordFile = std::fopen(QFile::encodeName(SaveDialog1.FileName).constData(), "wb");
    if (RecordFile) {
        Recording = true;
        BytesLogged = 0.0f;
        RecordFileName = QFileInfo(SaveDialog1.FileName).fileName();
        ui->Save1->setText("&Close " + RecordFileName);
        StatusBar1->SetPanelText(0, LoggedText());
    } else if (!quiet) {
        Notifier::Error("   Cannot open file to save loginfo   ", this);
    }
    return Recording;
}

void TMainForm::StopRecording(bool quiet)
{
    if (!Recording) return;
    bool failed = std::fflush(RecordFile) != 0;
    failed = std::fclose(RecordFile) != 0 || failed;
    if (failed && !quiet) Notifier::Error("   Errors closing output file   ", this);
    RecordFile = nullptr;
    Recording = false;
    ui->Save1->setText("S&ave");
    StatusBar1->SetPanelText(0, "No data recording");
}

QString TMainForm::LoggedText() const
{
    int digits = BytesLogged < 10.0f ? 1 : BytesLogged < 100.0f ? 2 : BytesLogged < 1000.0f ? 3 : 4;
    return QString::fromStdString(FormatSI(BytesLogged, digits)) + "B logged to " + RecordFileName;
}
