#include "app/mdichild.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOptionTitleBar>

MdiChildForm::MdiChildForm(QAction *menuItem, QWidget *parent)
    : QMdiSubWindow(parent), MenuItem(menuItem), client_(new QWidget)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A child has its own font, not the frame's: fully resolved, so nothing is inherited.
    QFont own = QApplication::font();
    own.setResolveMask(QFont::AllPropertiesResolved);
    setFont(own);
    setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWidget(client_);
    if (MenuItem) MenuItem->setChecked(true);
}

MdiChildForm::~MdiChildForm()
{
    if (MenuItem) MenuItem->setChecked(false);
}

bool MdiChildForm::eventFilter(QObject *watched, QEvent *event)
{
    // The frame answers each layout request of its client by working out its
    // title bar again. The client has no layout of its own: its controls sit
    // where the form put them, and a label whose text changes width asks for a
    // layout that changes nothing. The frame's limits come with the client's size.
    if (watched == client_ && event->type() == QEvent::LayoutRequest && !client_->layout()) return true;
    return QMdiSubWindow::eventFilter(watched, event);
}

QSize MdiChildForm::FrameSize() const
{
    QStyleOptionTitleBar option;
    option.initFrom(this);
    int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, this);
    return QSize(2 * border, title + border);
}

void MdiChildForm::SetClientSize(int width, int height)
{
    client_->setFixedSize(width, height);
    setFixedSize(QSize(width, height) + FrameSize());
}

void MdiChildForm::SetSizeable(int minClientWidth, int minClientHeight)
{
    client_->setMinimumSize(minClientWidth, minClientHeight);
    client_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setMinimumSize(QSize(minClientWidth, minClientHeight) + FrameSize());
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

QRect MdiChildForm::NormalGeometry() const
{
    return windowState() & (Qt::WindowMinimized | Qt::WindowMaximized) ? normal_ : geometry();
}

void MdiChildForm::moveEvent(QMoveEvent *event)
{
    QMdiSubWindow::moveEvent(event);
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) normal_ = geometry();
}

void MdiChildForm::resizeEvent(QResizeEvent *event)
{
    QMdiSubWindow::resizeEvent(event);
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) normal_ = geometry();
}
