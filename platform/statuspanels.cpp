#include "platform/statuspanels.h"

#include <QMouseEvent>

StatusPanels::StatusPanels(int count, QWidget *parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    for (int i = 0; i < count; ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(QString("Panel%1").arg(i));
        label->setTextFormat(Qt::PlainText);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(2, 0, 2, 0);
        label->installEventFilter(this);
        // Equal stretch and no size hint of their own: the panels share the
        // bar's width in thirds and never hold the window wider.
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        label->setMinimumWidth(0);
        addWidget(label, 1);
        panels_.push_back(label);
    }
}

QString StatusPanels::PanelText(int i) const { return panels_.at(static_cast<size_t>(i))->text(); }

void StatusPanels::SetPanelText(int i, const QString &text)
{
    panels_.at(static_cast<size_t>(i))->setText(text);
}

void StatusPanels::SetPanelAlignment(int i, Qt::Alignment alignment)
{
    panels_.at(static_cast<size_t>(i))->setAlignment(alignment | Qt::AlignVCenter);
}

int StatusPanels::PanelWidth(int i) const { return panels_.at(static_cast<size_t>(i))->width(); }


bool StatusPanels::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        emit DoubleClicked();
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::RightButton) {
            emit RightClicked(me->globalPosition().toPoint());
            return true;
        }
    }
    return QStatusBar::eventFilter(watched, event);
}

void StatusPanels::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit DoubleClicked();
    event->accept();
}

void StatusPanels::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) emit RightClicked(event->globalPosition().toPoint());
    QStatusBar::mousePressEvent(event);
}
