// Shared fixture of the window tests: a fresh set of windows per test, message
// boxes and file dialogs answered by the test, settings in a throw-away file,
// lines fed through the main window's router, the mouse on a chart.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QValueAxis>
#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <QGraphicsView>

#include "app/forms.h"
#include "app/mainform.h"
#include "platform/labeltext.h"
#include "logs/logform.h"
#include "platform/beatdrawing.h"
#include "platform/chartview.h"
#include "platform/colordialog.h"
#include "platform/filedialog.h"
#include "platform/notifier.h"
#include "platform/settings.h"
#include "sentence_text.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

inline QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QByteArray SampleBytes() { return ReadBytes(KAVU_SOURCE_DIR "/samples/kavu-sim-10min.log"); }

inline void Mouse(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The view a series of a chart is shown in.
inline ChartView *ViewOf(const QAbstractSeries *series)
{
    return qobject_cast<ChartView *>(series->chart()->scene()->views().value(0));
}
// The points the series draws (thinned), as its view holds them.
inline QList<QPointF> Shown(const QXYSeries *series) { return ViewOf(series)->ShownPoints(series); }
// Calls `f` whenever the series gets new points to draw.
template <typename F> void OnShown(QXYSeries *series, F f)
{
    QObject::connect(ViewOf(series), &ChartView::PointsShown, [series, f](QXYSeries *s) {
        if (s == series) f();
    });
}

// A point of the chart's plot area, as fractions of its width and height.
inline QPoint PlotPoint(ChartView *view, double fx, double fy)
{
    QRectF area = view->chart()->plotArea();
    return view->mapFromScene(QPointF(area.left() + fx * area.width(), area.top() + fy * area.height()));
}

// Press at (fx0, fy0), move in two steps to (fx1, fy1), release: a rubber band
// with the left button, a drag with the right; the same point twice is a click.
inline void Drag(ChartView *view, double fx0, double fy0, double fx1, double fy1, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget *port = view->viewport();
    QPoint a = PlotPoint(view, fx0, fy0), b = PlotPoint(view, fx1, fy1);
    Mouse(port, QEvent::MouseButtonPress, a, button, button);
    if (a != b) {
        Mouse(port, QEvent::MouseMove, (a + b) / 2, Qt::NoButton, button);
        Mouse(port, QEvent::MouseMove, b, Qt::NoButton, button);
    }
    Mouse(port, QEvent::MouseButtonRelease, b, button, Qt::NoButton);
}
inline void DragZoom(ChartView *view) { Drag(view, 0.3, 0.2, 0.6, 0.8); }
inline void RightClick(ChartView *view) { Drag(view, 0.5, 0.5, 0.5, 0.5, Qt::RightButton); }

// A log window as shown: caption, value labels top to bottom and left to right, grid.
inline QString Dump(LogForm *form)
{
    form->DrawPending();   // what the window shows within 50 ms
    QStringList out{"caption: " + form->windowTitle()};
    QList<QLabel *> labels = form->Client()->findChildren<QLabel *>();
    std::sort(labels.begin(), labels.end(), [](QLabel *a, QLabel *b) {
        return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x();
    });
    for (QLabel *label : labels)
        if (!label->objectName().startsWith("Label")) out << label->objectName() + ": " + label->text();
    for (int r = 0; form->Grid && r < form->Grid->RowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < form->Grid->columnCount(); ++c) cells << form->Grid->Cell(c, r);
        out << "|" + cells.join("|") + "|";
    }
    return out.join("\n") + "\n";
}

// The paint events the widget gets while run runs.
inline int Paints(QWidget *w, const std::function<void()> &run)
{
    struct Counter : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    w->installEventFilter(&counter);
    run();
    w->removeEventFilter(&counter);
    return counter.paints;
}

// Waits until the widget gets a paint event: what changed in it is painted.
inline bool PaintedSoon(QWidget *w)
{
    struct Seen : QObject {
        bool painted = false;
        bool eventFilter(QObject *, QEvent *e) override
        {
            painted = painted || e->type() == QEvent::Paint;
            return false;
        }
    } seen;
    w->installEventFilter(&seen);
    const bool painted = QTest::qWaitFor([&seen] { return seen.painted; }, 5000);
    w->removeEventFilter(&seen);
    return painted;
}

// Waits until the widget's window stops changing on the screen while the event
// loop runs (three grabs alike): what waited to be painted is painted.
inline bool ScreenStill(QWidget *w)
{
    QWidget *top = w->window();
    QImage last;
    int same = 0;
    return QTest::qWaitFor([&] {
        QCoreApplication::sendPostedEvents();
        QImage now = top->screen()->grabWindow(top->winId()).toImage();
        same = now == last ? same + 1 : 0;
        last = now;
        return same >= 2;
    }, 10000);
}

// The labels directly in container, each given a new text: the container
// looks as its labels drawn by QLabel itself make it look.
inline void ExpectLabelsShowAsDrawnByThemselves(QWidget *container, const std::string &name)
{
    QWidget *top = container->window();
    auto shown = [&] {
        for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
        const QImage screen = top->screen()->grabWindow(top->winId()).toImage();
        return screen.copy(QRect(container->mapTo(top, QPoint()), container->size()));
    };
    QList<QLabel *> labels;
    for (QObject *o : container->children())
        if (auto *label = qobject_cast<QLabel *>(o)) labels << label;
    EXPECT_GE(labels.size(), 3) << name;
    for (QLabel *label : labels) label->setText(label->text() + "7");
    const QImage ours = shown();
    for (QLabel *label : labels)
        for (LabelText *text : top->findChildren<LabelText *>()) label->removeEventFilter(text);
    container->repaint();
    EXPECT_TRUE(ours == shown()) << name;
}

// Waits for a view's drawing at its beat: what the window shows within its period.
inline bool Drawn(const BeatDrawing *drawing)
{
    return QTest::qWaitFor([drawing] { return !drawing->Pending(); }, 10000);
}

// Waits, with the event loop running, until the timer would have timed out had
// it been started now (a coarse timer may be up to 5 % late): a test that
// something did not happen by then.
inline bool WouldHaveTicked(const QTimer *timer)
{
    bool ticked = false;
    QTimer witness;
    witness.setSingleShot(true);
    witness.setTimerType(Qt::PreciseTimer);   // never early
    QObject::connect(&witness, &QTimer::timeout, [&ticked] { ticked = true; });
    witness.start(timer->interval() + timer->interval() / 10 + 1);
    return QTest::qWaitFor([&ticked] { return ticked; }, timer->interval() + 10000);
}

// Waits for the first beat at least ms from now: whatever any view was due to
// draw by then has been drawn (or, out of sight, left waiting).
inline bool BeatPassed(qint64 ms)
{
    QWidget probe;
    probe.setAttribute(Qt::WA_DontShowOnScreen);   // in sight, though on no screen and never active
    probe.show();
    BeatDrawing drawing(&probe, [] {}, ms);
    drawing.Changed();   // drawn at once
    drawing.Changed();   // drawn at the first beat ms from now
    return QTest::qWaitFor([&drawing] { return !drawing.Pending(); }, static_cast<int>(ms) + 10000);
}

// Whether no two of the times (ms, in order) are closer than period, with 5 ms
// for the beat's own rounding.
inline ::testing::AssertionResult AtMostOnceAPeriod(const std::vector<qint64> &times, qint64 period)
{
    for (size_t i = 1; i < times.size(); ++i)
        if (times[i] - times[i - 1] < period - 5)
            return ::testing::AssertionFailure() << "drawn at " << times[i - 1] << " and " << times[i] << " ms, period " << period;
    return ::testing::AssertionSuccess();
}

class WindowTest : public ::testing::Test {
protected:
    std::vector<std::pair<QString, QString>> boxes;   // caption, text
    QStringList dialogAnswers;                        // next file names; empty means cancel

    void SetUp() override
    {
        QFile::remove(SettingsStore::FilePath());
        Notifier::SetSink([this](const QString &c, const QString &t) { boxes.emplace_back(c, t); });
        FileDialog::SetResponder([this](FileDialog &d) {
            if (dialogAnswers.isEmpty()) return false;
            d.FileName = dialogAnswers.takeFirst();
            return true;
        });
    }
    void TearDown() override
    {
        DestroyForms();
        Notifier::SetSink({});
        FileDialog::SetResponder({});
        ColorDialog::SetResponder({});
    }
    void WriteSetting(const QString &name, const QString &value) { SettingsStore(SettingsStore::Mode::Create).WriteString(name, value); }
    std::pair<QString, QString> LastBox() const { return boxes.empty() ? std::pair<QString, QString>() : boxes.back(); }
    // Each bad text refused with its box; the edit then shows `after` (what it showed before when null).
    void ExpectRefused(QLineEdit *edit, QPushButton *set, std::initializer_list<const char *> bad, const QString &message,
                       QString after = {})
    {
        if (after.isNull()) after = edit->text();
        for (const char *text : bad) {
            boxes.clear();
            edit->setText(text);
            set->click();
            EXPECT_EQ(boxes, (decltype(boxes){{"Error...", message}})) << text;
            EXPECT_EQ(edit->text(), after) << text;
        }
    }

    // A whole line as it stands, or a sentence body checksummed first.
    void Line(const std::string &text) { MainForm->ReceiveData(QByteArray::fromStdString(text + "\r\n")); }
    void Receive(const std::string &body) { Line(Sentence(body)); }
    // The bundled sample, in pieces of odd sizes as a port or a socket delivers them.
    QByteArray FeedSample()
    {
        const QByteArray sample = SampleBytes();
        for (qsizetype at = 0, piece = 1; at < sample.size(); at += piece, piece = piece % 1499 + 97)
            MainForm->ReceiveData(sample.mid(at, piece));
        return sample;
    }
    // A View item of the main window by its name.
    static QAction *Item(const char *name) { return MainForm->findChild<QAction *>(name); }
    static void ShowAndWait(QWidget *w)
    {
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    }
};
