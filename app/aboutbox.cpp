#include "app/aboutbox.h"

#include <QIcon>

#include "ui_aboutbox.h"

TAboutBox::TAboutBox(QWidget *owner) : QDialog(owner), ui(std::make_unique<Ui::TAboutBox>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    ui->ProgramIcon->setPixmap(QIcon(":/forms/program.svg").pixmap(64, 64));
    connect(ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

TAboutBox::~TAboutBox() = default;
