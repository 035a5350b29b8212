#include "platform/statuspanels.h"

#include <QBoxLayout>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleOption>
#include <QStyle>
#include <algorithm>

// The panels side by side, as the status bar's own row lays out the widgets
// added to it (6 pixels apart, equal stretch), in a strip that the row holds
// in their place. A panel given a new text asks its parent to lay it out
// again; the strip only does so when a panel's height could change, so a
// clock ticking in a panel redraws that panel's text alone, not the bar and
// the frame window's layout each time.
class PanelStrip : public QWidget {
public:
    explicit PanelStrip(QWidget *parent) : QWidget(parent)
    {
        row_.setContentsMargins(0, 0, 0, 0);
        row_.setSpacing(6);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        setMinimumWidth(0);
    }
    void Add(QLabel *panel)
    {
        row_.addWidget(panel, 1);
        shapes_ = Shapes();
        heights_ = Heights();
    }
    QSize sizeHint() const override { return row_.sizeHint(); }
    QSize minimumSizeHint() const override { return row_.minimumSize(); }

    // Lays the panels out again when one's height could have changed. Only
    // heights count: the panels take no width of their own. A panel's height
    // follows from what it is drawn with and how many lines its text has; it
    // is measured again only when one of those changed.
    void Refresh()
    {
        std::vector<Shape> shapes = Shapes();
        if (shapes == shapes_) return;
        shapes_ = std::move(shapes);
        std::vector<int> heights = Heights();
        if (heights == heights_) return;
        heights_ = std::move(heights);
        row_.invalidate();
        updateGeometry();
        Place();
    }

protected:
    bool event(QEvent *event) override
    {
        // A panel asks to be laid out again (a new text, a new font of its own).
        if (event->type() == QEvent::LayoutRequest) {
            Refresh();
            return true;
        }
        return QWidget::event(event);
    }
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        Place();
    }
    void changeEvent(QEvent *event) override
    {
        QWidget::changeEvent(event);
        // The bar's font or style, handed on to the panels before the strip
        // hears of it: their heights are known before the bar asks the strip's.
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) Refresh();
        if (event->type() == QEvent::LayoutDirectionChange) Place();
    }

private:
    void Place()
    {
        row_.setDirection(isRightToLeft() ? QBoxLayout::RightToLeft : QBoxLayout::LeftToRight);
        row_.setGeometry(rect());
    }
    std::vector<int> Heights() const
    {
        std::vector<int> heights;
        for (int i = 0; i < row_.count(); ++i) {
            const QLayoutItem *item = row_.itemAt(i);
            heights.insert(heights.end(), {item->minimumSize().height(), item->sizeHint().height(), item->maximumSize().height()});
        }
        return heights;
    }

    // What a panel's height follows from; a text beyond Latin-1 may take a
    // taller font in part, so it is measured each time.
    struct Shape {
        QFont font;
        const QStyle *style = nullptr;
        QMargins margins;
        int frame = 0, minimum = 0, maximum = 0;
        qsizetype lines = 0;
        bool empty = false, measure = false;
        bool operator==(const Shape &other) const
        {
            return !measure && !other.measure && font == other.font && style == other.style && margins == other.margins &&
                   frame == other.frame && minimum == other.minimum && maximum == other.maximum && lines == other.lines &&
                   empty == other.empty;
        }
    };
    std::vector<Shape> Shapes() const
    {
        std::vector<Shape> shapes;
        for (const QLabel *panel : findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
            const QString text = panel->text();
            const bool latin1 = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
            shapes.push_back({panel->font(), panel->style(), panel->contentsMargins(), panel->frameWidth(),
                              panel->minimumHeight(), panel->maximumHeight(), text.count(u'\n'), text.isEmpty(),
                              !latin1 || panel->textFormat() != Qt::PlainText || panel->isHidden()});
        }
        return shapes;
    }

    QHBoxLayout row_;   // not the strip's layout: nothing it does reaches the bar
    std::vector<Shape> shapes_;
    std::vector<int> heights_;
};

StatusPanels::StatusPanels(int count, QWidget *parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    strip_ = new PanelStrip(this);
    for (int i = 0; i < count; ++i) {
        auto *label = new QLabel(strip_);
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
        // Its own background: a new text redraws the panel alone, not the bar
        // and the window under it.
        label->setAutoFillBackground(true);
        strip_->Add(label);
        panels_.push_back(label);
    }
    addWidget(strip_, 1);
}

// As the status bar draws itself, with the frame it gives each of its widgets
// around each panel (the panels are its widgets as the user sees them).
void StatusPanels::paintEvent(QPaintEvent *event)
{
    if (!currentMessage().isEmpty()) return QStatusBar::paintEvent(event);
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
    for (QLabel *panel : panels_) {
        if (!panel->isVisible()) continue;
        const QRect around = QRect(panel->mapTo(this, QPoint()), panel->size()).adjusted(-2, -1, 2, 1);
        if (!event->rect().intersects(around)) continue;
        QStyleOption frame(0);
        frame.rect = around;
        frame.palette = palette();
        frame.state = QStyle::State_None;
        style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &frame, &painter, panel);
    }
}

QString StatusPanels::PanelText(int i) const { return panels_.at(static_cast<size_t>(i))->text(); }

void StatusPanels::SetPanelText(int i, const QString &text)
{
    panels_.at(static_cast<size_t>(i))->setText(text);
    strip_->Refresh();   // a text of more lines makes the bar higher at once
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
