#include "platform/colordialog.h"

#include <QColorDialog>

namespace {
ColorDialog::Responder &CurrentResponder()
{
    static ColorDialog::Responder responder;
    return responder;
}
} // namespace

void ColorDialog::SetResponder(Responder responder) { CurrentResponder() = std::move(responder); }

bool ColorDialog::Execute(QWidget *parent)
{
    if (CurrentResponder()) return CurrentResponder()(*this);
    QColorDialog dialog(Color, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    QColor chosen = dialog.selectedColor();
    if (!chosen.isValid()) return false;
    Color = chosen;
    return true;
}
