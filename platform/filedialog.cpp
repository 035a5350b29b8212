#include "platform/filedialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {
FileDialog::Responder &CurrentResponder()
{
    static FileDialog::Responder responder;
    return responder;
}
} // namespace

void FileDialog::SetResponder(Responder responder) { CurrentResponder() = std::move(responder); }

QString FileDialog::QtFilter(const QString &filter)
{
    QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) out << parts[i];
    return out.join(";;");
}

bool FileDialog::Execute(QWidget *parent)
{
    if (CurrentResponder()) return CurrentResponder()(*this);
    QFileDialog dialog(parent, Title);
    dialog.setAcceptMode(DialogKind == Kind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(DialogKind == Kind::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QtFilter(Filter));
    if (!DefaultExt.isEmpty()) dialog.setDefaultSuffix(DefaultExt);
    if (!OverwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QString dir = InitialDir;
    if (!FileName.isEmpty()) {
        QFileInfo info(FileName);
        if (info.isAbsolute()) dir = info.absolutePath();
        dialog.selectFile(info.fileName());
    }
    if (!dir.isEmpty()) dialog.setDirectory(dir);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    FileName = dialog.selectedFiles().first();
    return true;
}
