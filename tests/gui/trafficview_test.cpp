// The traffic pane shows what a read-only plain-text edit shows: the same
// pixels and scroll bars for the same text, also when it is drawn in parts as
// the text moves on, and the same answers to the mouse and the keys.
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <random>
#include <utility>

#include "gui_test_support.h"
#include "link/monitortext.h"
#include "platform/fonts.h"
#include "platform/plaintext.h"
#include "platform/trafficview.h"

namespace {

QString Latin1(const std::string &text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

// Ours and Qt's side by side in one window, set up as the monitor's panes
// (read-only, unwrapped) or as the data-source window's display (disabled,
// wrapped), Qt's taking each new text as its window used to give it: an edit
// of its document, the lines gone cut from the front and the new ones added.
class Panes {
public:
    Panes(QSize size, bool display) : display_(display)
    {
        auto *layout = new QHBoxLayout(&window_);
        for (QAbstractScrollArea *pane : Both()) {
            pane->setFont(DialogFont());
            DrawTextUnshaped(pane);
            pane->setFixedSize(size);
            layout->addWidget(pane);
        }
        if (display) {
            ours_.SetWrapped(true);
            for (QAbstractScrollArea *pane : Both()) {
                QPalette palette = pane->palette();
                palette.setColor(QPalette::Disabled, QPalette::Text, palette.color(QPalette::Active, QPalette::Text));
                pane->setPalette(palette);
                pane->setEnabled(false);
            }
        } else {
            qt_.setReadOnly(true);
            qt_.setLineWrapMode(QPlainTextEdit::NoWrap);
        }
        window_.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }
    std::vector<QAbstractScrollArea *> Both() { return {&ours_, &qt_}; }
    void Show(const QString &text)
    {
        ours_.ShowText(text, display_ ? TrafficView::Follow::Bottom : TrafficView::Follow::End);
        QString document = text;
        document.replace("\r\n", "\n").replace('\r', '\n');
        qsizetype kept = std::min(document.size(), document_.size());
        while (kept > 0 && !document_.endsWith(QStringView(document).left(kept))) --kept;
        QTextCursor edit(qt_.document());
        edit.beginEditBlock();
        edit.setPosition(static_cast<int>(document_.size() - kept), QTextCursor::KeepAnchor);
        edit.removeSelectedText();
        edit.movePosition(QTextCursor::End);
        edit.insertText(document.mid(kept));
        edit.endEditBlock();
        document_ = document;
        if (display_) {
            // Qt counts a wrapped line it has not laid out yet as one row; laid
            // out, its rows are counted as the pane counts them.
            for (QTextBlock b = qt_.document()->begin(); b.isValid(); b = b.next()) qt_.document()->documentLayout()->blockBoundingRect(b);
            qt_.verticalScrollBar()->setValue(qt_.verticalScrollBar()->maximum());
        } else {
            qt_.moveCursor(QTextCursor::End);
            qt_.ensureCursorVisible();
        }
    }
    // What the widget shows on the screen (the pane's viewport for a pane).
    QImage Shown(QWidget *widget)
    {
        for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();   // updates asked for while painting too
        if (auto *pane = qobject_cast<QAbstractScrollArea *>(widget)) widget = pane->viewport();
        const QImage screen = window_.screen()->grabWindow(window_.winId()).toImage();
        return screen.copy(QRect(widget->mapTo(&window_, QPoint()), widget->size()));
    }
    // What each viewport shows on the screen, and where its scroll bars stand.
    // The horizontal ranges may differ: a text document measures the lines it
    // laid out of late, the pane the lines it holds. Where that stops one bar
    // short, both are compared at the same place. Wrapped, the text edit puts
    // a row that it scrolled to the top within a pixel of where the pane puts
    // it, by how it got there: the pane, drawn in parts, shows what it shows
    // drawn whole.
    void ExpectSame(const std::string &when)
    {
        QScrollBar *ours = ours_.horizontalScrollBar(), *qt = qt_.horizontalScrollBar();
        if (ours->value() != qt->value()) {
            EXPECT_TRUE(ours->value() == ours->maximum() || qt->value() == qt->maximum()) << when;
            ours->setValue(std::min(ours->value(), qt->value()));
            qt->setValue(ours->value());
        }
        const QImage shown = Shown(&ours_);
        const QImage reference = display_ ? ours_.viewport()->grab().toImage().convertToFormat(shown.format()) : Shown(&qt_);
        EXPECT_TRUE(shown == reference) << when;
        EXPECT_EQ(ours_.toPlainText(), qt_.toPlainText()) << when;
        auto bar = [](QScrollBar *b, bool range) { return std::make_tuple(b->value(), range ? b->maximum() : 0, b->pageStep(), b->isVisible()); };
        EXPECT_EQ(bar(ours_.verticalScrollBar(), true), bar(qt_.verticalScrollBar(), true)) << when;
        EXPECT_EQ(bar(ours, false), bar(qt, false)) << when;
        // The bars look the same where they stand the same.
        if (ours_.verticalScrollBar()->isVisible()) {
            EXPECT_TRUE(Shown(ours_.verticalScrollBar()) == Shown(qt_.verticalScrollBar())) << when;
        }
        if (ours->isVisible() && ours->maximum() == qt->maximum()) {
            EXPECT_TRUE(Shown(ours) == Shown(qt)) << when;
        }
    }

    QWidget window_;
    TrafficView ours_;
    QPlainTextEdit qt_;
    QString document_;
    bool display_;
};

// The same clicks, keys or drags on each pane in turn, the pane focused:
// the same selection, scroll bars and pixels.
template <typename Act>
void ExpectSameAnswer(Panes &panes, const std::string &what, Act act)
{
    QString selected[2];
    QImage shown[2];
    int row[2];
    for (int i = 0; i < 2; ++i) {
        QAbstractScrollArea *pane = panes.Both()[i];
        pane->setFocus();
        act(pane->viewport());
        // (The text edit copies a no-break space as a space.)
        selected[i] = i == 0 ? panes.ours_.SelectedText()
                             : panes.qt_.textCursor().selectedText().replace(QChar::ParagraphSeparator, '\n').replace(QChar::Nbsp, ' ');
        shown[i] = panes.Shown(pane);
        row[i] = pane->verticalScrollBar()->value();
    }
    EXPECT_EQ(selected[0], selected[1]) << what;
    EXPECT_EQ(row[0], row[1]) << what;
    EXPECT_TRUE(shown[0] == shown[1]) << what;
}

} // namespace

// In a pane the text fills and in one taller than the text (whose text moves
// up as lines go out at the front, above blank that stays).
TEST(TrafficViewTest, TheMonitorPanesShowWhatAPlainTextEditShowsAsTheTrafficRunsThrough)
{
    for (QSize size : {QSize(223, 156), QSize(300, 900)}) {
        Panes panes(size, false);
        MonitorText text;
        MonitorText::PendingLine().clear();
        const QByteArray sample = SampleBytes().left(40000) + "\r\rbare CR\n\xa0no-break\t\ttab\r\n" + QByteArray(300, 'x') + "\n";
        std::mt19937 rng(11);
        for (qsizetype i = 0; i < sample.size();) {
            const qsizetype n = 1 + rng() % 600;
            text.AddData(sample.mid(i, n).toStdString());
            i += n;
            panes.Show(Latin1(text.AllText));
            panes.ExpectSame(std::to_string(size.height()) + " high, at " + std::to_string(i));
        }
    }
}

TEST(TrafficViewTest, TheDataSourceDisplayShowsWhatAPlainTextEditShows)
{
    Panes panes(QSize(380, 120), true);
    const QByteArray sample = SampleBytes().left(20000);
    for (qsizetype i = 0; i < sample.size(); i += 97) {
        QString view = QString::fromLatin1(sample.mid(std::max<qsizetype>(0, i - 750), std::min<qsizetype>(i, 750)));
        panes.Show(view.replace("\r\n", "\n"));
        panes.ExpectSame("at " + std::to_string(i));
    }
}

TEST(TrafficViewTest, TheMouseAndTheKeysSelectAndScrollAsInAPlainTextEdit)
{
    Panes panes(QSize(300, 200), false);
    QString text;
    for (const QByteArray &line : SampleBytes().left(20000).split('\n').mid(0, 120)) text += QString::fromLatin1(line.left(70)) + '\n';
    panes.Show(text);
    for (QAbstractScrollArea *pane : panes.Both()) pane->verticalScrollBar()->setValue(40);
    const QPoint a(60, 40), b(150, 120);
    auto drag = [&](QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
        return [=](QWidget *port) {
            QTest::mousePress(port, Qt::LeftButton, modifiers, from);
            Mouse(port, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
            Mouse(port, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
            QTest::mouseRelease(port, Qt::LeftButton, modifiers, to);
        };
    };
    ExpectSameAnswer(panes, "drag", drag(b, a));
    ExpectSameAnswer(panes, "shift click", [&](QWidget *port) { QTest::mouseClick(port, Qt::LeftButton, Qt::ShiftModifier, b + QPoint(0, 30)); });
    ExpectSameAnswer(panes, "click", [&](QWidget *port) { QTest::mouseClick(port, Qt::LeftButton, {}, a); });
    // A double click comes as a press, a release, a press and the double click.
    auto twice = [](QWidget *port, QPoint at) {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress, QEvent::MouseButtonDblClick})
            Mouse(port, type, at, Qt::LeftButton, type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton);
    };
    ExpectSameAnswer(panes, "double click", [&](QWidget *port) {
        twice(port, a + QPoint(8, 0));
        Mouse(port, QEvent::MouseButtonRelease, a + QPoint(8, 0), Qt::LeftButton, Qt::NoButton);
    });
    for (int dx = 0; dx < 60; dx += 6)   // on a word or between words
        ExpectSameAnswer(panes, "double click and drag " + std::to_string(dx), [&](QWidget *port) {
            twice(port, b);
            Mouse(port, QEvent::MouseMove, a + QPoint(dx, 0), Qt::NoButton, Qt::LeftButton);
            Mouse(port, QEvent::MouseButtonRelease, a + QPoint(dx, 0), Qt::LeftButton, Qt::NoButton);
        });
    ExpectSameAnswer(panes, "triple click and drag", [&](QWidget *port) {
        twice(port, b);
        Mouse(port, QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
        Mouse(port, QEvent::MouseButtonPress, b, Qt::LeftButton, Qt::LeftButton);
        Mouse(port, QEvent::MouseMove, a, Qt::NoButton, Qt::LeftButton);
        Mouse(port, QEvent::MouseButtonRelease, a, Qt::LeftButton, Qt::NoButton);
    });
    ExpectSameAnswer(panes, "select all", [&](QWidget *port) { QTest::keyClick(port->parentWidget(), Qt::Key_A, Qt::ControlModifier); });
    QGuiApplication::clipboard()->clear();
    panes.ours_.copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), panes.qt_.toPlainText());
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_PageUp, {}}, {Qt::Key_PageUp, {}}, {Qt::Key_PageUp, {}}, {Qt::Key_Home, {}},  {Qt::Key_PageDown, {}},
        {Qt::Key_Space, {}},  {Qt::Key_Down, {}},   {Qt::Key_Right, {}},  {Qt::Key_PageUp, {}}, {Qt::Key_Up, {}},
        {Qt::Key_Space, Qt::ShiftModifier},         {Qt::Key_End, {}},    {Qt::Key_PageUp, {}}, {Qt::Key_Left, {}}};
    for (auto [key, modifiers] : keys)
        ExpectSameAnswer(panes, "key " + QKeySequence(key | modifiers).toString().toStdString(),
                         [&](QWidget *port) { QTest::keyClick(port->parentWidget(), key, modifiers); });
}

// Lines of printable ASCII are drawn from the font's glyph table without a
// text layout; they look as laid out lines do, beside lines that must be laid
// out (a tab, a no-break space, a Latin-1 letter), whatever the line ends, with
// the widest line ending in spaces, scrolled sideways and selected, wrapped or not.
TEST(TrafficViewTest, LinesDrawnFromTheGlyphTableLookAsLaidOutLines)
{
    const QString text = QStringLiteral("$GPGGA,,,,,,0,00,99.9,,M,,M,,*71\r\n\r\nWAVE,Ty,fi.jj:%(q)\r"
                                        "tab\there\n\xa0no-break\r\n\xe9t\xe9 caf\xe9\r\n"
                                        "a line wider than the pane, then spaces                                                          \r\n"
                                        "#PSRPOSA,COM1,0,58.5,UNKNOWN,0,0.000,00000000,6145,2724;INSUFFICIENT_OBS\n");
    // The lines with a tab, a no-break space and a Latin-1 letter; wrapped, also
    // the line that its spaces take past the pane's edge.
    for (bool display : {false, true}) {
        Panes panes(display ? QSize(380, 200) : QSize(223, 200), display);
        panes.Show(text);
        const std::string what = display ? "wrapped" : "unwrapped";
        EXPECT_EQ(panes.ours_.LinesLaidOut(), display ? 4 : 3) << what;
        if (display) {   // the text edit at its top shows the same rows
            EXPECT_EQ(panes.ours_.verticalScrollBar()->value(), 0);
            EXPECT_TRUE(panes.Shown(&panes.ours_) == panes.Shown(&panes.qt_)) << what;
            continue;
        }
        panes.ExpectSame(what);
        QScrollBar *ours = panes.ours_.horizontalScrollBar(), *qt = panes.qt_.horizontalScrollBar();
        ASSERT_GT(ours->maximum(), 100);
        for (int x : {1, 37, ours->maximum()}) {
            ours->setValue(x);
            qt->setValue(x);
            panes.ExpectSame(what + " at x " + std::to_string(x));
        }
        ours->setValue(0);
        qt->setValue(0);
        auto drag = [](QPoint from, QPoint to) {
            return [=](QWidget *port) {
                QTest::mousePress(port, Qt::LeftButton, {}, from);
                Mouse(port, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
                QTest::mouseRelease(port, Qt::LeftButton, {}, to);
            };
        };
        ExpectSameAnswer(panes, "part selected", drag(QPoint(40, 8), QPoint(90, 40)));
        ExpectSameAnswer(panes, "all selected", [](QWidget *port) { QTest::keyClick(port->parentWidget(), Qt::Key_A, Qt::ControlModifier); });
        // In a larger font (the pane zoomed), from that font's table.
        for (QAbstractScrollArea *pane : panes.Both()) {
            QFont larger = pane->font();
            larger.setPointSizeF(larger.pointSizeF() + 3);
            pane->setFont(larger);
        }
        panes.Show(text + "more\n");
        panes.ExpectSame("larger");
        EXPECT_EQ(panes.ours_.LinesLaidOut(), 3);
    }
}

// The pane's scroll bars draw again when the slider would show elsewhere, not
// for each new range or value that leaves it on the same pixels.
TEST(TrafficViewTest, AScrollBarDrawsAgainOnlyWhenItsSliderMoves)
{
    TrafficView pane;
    pane.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane.resize(300, 200);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    QScrollBar *bar = pane.verticalScrollBar();
    bar->setRange(0, 100000);
    bar->setPageStep(10);
    bar->setValue(50000);
    struct Counter : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *event) override { paints += event->type() == QEvent::Paint; return false; }
    } counter;
    bar->installEventFilter(&counter);
    auto painted = [&] {
        for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
        return std::exchange(counter.paints, 0);
    };
    painted();
    auto look = [&] {   // grabbing paints too
        const QImage image = bar->grab().toImage();
        counter.paints = 0;
        return image;
    };
    const QImage before = look();
    bar->setRange(0, 100010);
    bar->setValue(50001);
    bar->setPageStep(11);
    EXPECT_EQ(painted(), 0);
    EXPECT_TRUE(look() == before);
    for (int value : {0, 100010}) {
        bar->setValue(value);
        EXPECT_GE(painted(), 1) << value;
        EXPECT_FALSE(look() == before) << value;
    }
    bar->setRange(0, 0);   // no slider to move: the whole groove
    EXPECT_GE(painted(), 1);
}

// The monitor and the data-source window mark the panes' bars opaque (so a bar
// that changes repaints alone): each bar paints every pixel of itself, along
// and across, wherever its slider stands.
TEST(TrafficViewTest, AScrollBarPaintsEveryPixelOfItself)
{
    TrafficView pane;
    pane.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane.resize(300, 400);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    for (QScrollBar *bar : {pane.verticalScrollBar(), pane.horizontalScrollBar()}) {
        for (auto [maximum, value] : {std::pair{0, 0}, {100, 0}, {100, 37}, {100, 100}, {5000, 2500}}) {
            bar->setRange(0, maximum);
            bar->setPageStep(20);
            bar->setValue(value);
            QImage image(bar->size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::magenta);
            bar->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);   // no background: the bar alone
            int unpainted = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) unpainted += image.pixel(x, y) == QColor(Qt::magenta).rgba();
            EXPECT_EQ(unpainted, 0) << bar->orientation() << " " << maximum << " " << value;
        }
    }
}

// A bar whose slider goes back to where it stood shows what it showed there,
// in the colours it has now: a new palette is drawn anew, as a fresh bar draws it.
TEST(TrafficViewTest, AScrollBarBackWhereItStoodLooksAsAFreshOne)
{
    TrafficView panes[2];
    for (TrafficView &pane : panes) {
        pane.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        pane.resize(200, 300);
        pane.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
        pane.verticalScrollBar()->setRange(0, 100);
        pane.verticalScrollBar()->setPageStep(20);
    }
    QScrollBar *bar = panes[0].verticalScrollBar(), *fresh = panes[1].verticalScrollBar();
    auto look = [](QScrollBar *b) {
        for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
        return b->grab().toImage();
    };
    bar->setValue(10);
    const QImage at10 = look(bar);
    bar->setValue(90);
    EXPECT_FALSE(look(bar) == at10);
    bar->setValue(10);
    EXPECT_TRUE(look(bar) == at10);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Button, Qt::darkGreen);
    palette.setColor(QPalette::Window, Qt::yellow);
    for (QScrollBar *b : {bar, fresh}) b->setPalette(palette);
    fresh->setValue(10);
    const QImage shown = look(bar);
    EXPECT_FALSE(shown == at10);
    EXPECT_TRUE(shown == look(fresh));
}
