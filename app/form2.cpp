#include "app/form2.h"

#include <QKeyEvent>

#include "app/forms.h"
#include "app/mainform.h"
#include "platform/plaintext.h"
#include "ui_form2.h"

TForm2::TForm2(QWidget *owner) : QDialog(owner), ui(std::make_unique<Ui::TForm2>())
{
    ui->setupUi(this);
    ShowLabelsAsPlainText(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    ui->Edit1->installEventFilter(this);
}

TForm2::~TForm2() = default;

void TForm2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm2::FormShow()
{
    if (!MainForm) return;
    StatusPanels *bar = MainForm->StatusBar1;
    ui->Edit1->setText(bar->PanelText(1));
    ui->Edit1->setFixedWidth(bar->PanelWidth(1));
    setFixedWidth(ui->Edit1->width());
    setFixedHeight(bar->height());
    ui->Edit1->setFixedHeight(height());
    ui->Edit1->move(0, 0);
    QRect frame = MainForm->frameGeometry();
    int border = (frame.width() - MainForm->width()) / 2;
    move(frame.left() + bar->PanelWidth(0) + border + 2, frame.top() + frame.height() - height() - 2);
    ui->Edit1->setFocus();
}

void TForm2::Edit1KeyPress(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        QString text = ui->Edit1->text();
        if (MainForm) MainForm->SetDescription(text);
        reject();
    } else if (key == Qt::Key_Escape) {
        reject();
    }
}

void TForm2::Edit1Exit()
{
    if (isVisible()) reject();
}

bool TForm2::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->Edit1) {
        if (event->type() == QEvent::KeyPress) {
            int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                Edit1KeyPress(key);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            Edit1Exit();
        }
    }
    return QDialog::eventFilter(watched, event);
}
