// Views drawn at the screen-rate beat: at most once a beat, nothing while out of
// sight, and once the stream stops exactly what drawing every line shows.
#include <QAreaSeries>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QRegularExpression>

#include "gui_test_support.h"
#include "link/monitorform.h"
#include "logs/notchaform.h"
#include "plots/eurofixform.h"
#include "plots/fftplot.h"
#include "plots/headingform.h"
#include "plots/positionform.h"
#include "plots/tdplot.h"
#include "ui_fftplot.h"
#include "ui_headingform.h"
#include "ui_notchaform.h"

namespace {

QStringList SampleLines()
{
    QStringList lines = QString::fromLatin1(SampleBytes()).split('\n', Qt::SkipEmptyParts);
    for (QString &l : lines) l += '\n';
    return lines;
}

QString PointsText(const QList<QPointF> &points)
{
    QStringList out;
    for (const QPointF &p : points) out << QString::number(p.x(), 'g', 17) + ":" + QString::number(p.y(), 'g', 17);
    return out.join(' ');
}

QString AxesText(ChartView *chart)
{
    return QString::number(chart->BottomAxis()->min(), 'g', 17) + " " + QString::number(chart->BottomAxis()->max(), 'g', 17) +
           " " + QString::number(chart->LeftAxis()->min(), 'g', 17) + " " + QString::number(chart->LeftAxis()->max(), 'g', 17);
}

// What the FFT, compass and Eurofix windows show.
QStringList Shown()
{
    QStringList out;
    const Ui::TFFTForm *f = FFTForm->ui.get();
    for (ChartView *chart : {FFTForm->Chart1, FFTForm->Chart2}) out << AxesText(chart);
    for (int c = 0; c < 2; ++c) {
        out << PointsText((c ? FFTForm->Chart2 : FFTForm->Chart1)->SeriesPoints(FFTForm->Spectrum(c)));
        for (int k = 0; k < TFFTForm::OverlayColours; ++k) out << PointsText(FFTForm->Overlay(c, k)->upperSeries()->points());
    }
    out << f->VersionLabel->text() << f->IntegrationLabel->text() << f->GainLabel->text() << f->ProcessorLoadLabel->text()
        << QString::number(FFTForm->ShownChannels);
    for (int c = 0; c < HeadingColumns::Count; ++c) {
        const THeadingForm &h = *HeadingForm;
        out << h.SourceLabels[c]->text() + "|" + h.TimeLabels[c]->text() + "|" + h.HeadingLabels[c]->text() + "|" +
                   h.HeadingStdLabels[c]->text() + "|" + h.QualityLabels[c]->text() + "|" + h.OffsetLabels[c]->text() + "|" +
                   h.SourceLabels[c]->palette().color(QPalette::WindowText).name();
    }
    for (const CompassView::Needle &n : HeadingForm->ui->PaintBox1->Needles())
        out << QString("%1,%2 %3,%4 %5").arg(n.Polygon.Tip.X).arg(n.Polygon.Tip.Y).arg(n.Polygon.Tail.X).arg(n.Polygon.Tail.Y).arg(n.Colour.name());
    for (const auto &s : EurofixForm->StationList) {
        // Each page as it shows when brought into sight.
        for (int tab = 0; tab < s->PageControl->count(); ++tab) s->PageControl->setCurrentIndex(tab);
        out << s->StationIdValue->text() << s->HealthValue->text() << s->DgpsCountValue->text() << s->UtcTimeValue->text()
            << s->UtcCountValue->text() << s->ETranCountValue->text() << s->SmsCountValue->text();
        for (int r = 0; r < s->DgpsGrid->RowCount(); ++r)
            for (int c = 0; c < s->DgpsGrid->columnCount(); ++c) out << s->DgpsGrid->Cell(c, r);
        // The time against the local clock differs from run to run.
        static const QRegularExpression localClock("local clock: .*");
        for (QPlainTextEdit *memo : {s->UtcMemo, s->ETranMemo, s->SmsMemo})
            out << memo->toPlainText().replace(localClock, "local clock");
    }
    return out;
}

// Feeds the sample, with the windows' one-second timers ticked every 300 lines
// (the same in every run); after each line when perLine.
void FeedLines(bool perLine)
{
    HeadingForm->Timer1->stop();
    EurofixForm->Timer1->stop();
    int n = 0;
    for (const QString &line : SampleLines()) {
        MainForm->ReceiveData(line.toLatin1());
        if (++n % 300 == 0) {
            HeadingForm->Timer1Timer();
            EurofixForm->Timer1Timer();
        }
        if (perLine) {
            FFTForm->DrawPending();
            HeadingForm->DrawPending();
            EurofixForm->DrawPending();
        }
    }
}

} // namespace

class BeatViewsTest : public WindowTest {};

TEST_F(BeatViewsTest, HiddenWindowsPrepareNothingAndShowWhatDrawingEveryLineShows)
{
    CreateForms();
    FeedLines(true);
    const QStringList everyLine = Shown();
    ASSERT_FALSE(EurofixForm->StationList.empty());
    DestroyForms();

    CreateForms();
    const QStringList before = Shown();
    FeedLines(false);
    EXPECT_EQ(Shown(FFTForm->Spectrum(0)).size(), 0);
    EXPECT_EQ(EurofixForm->StationList.front()->DgpsCountValue->text(), "0");
    for (int c = 0; c < HeadingColumns::Count; ++c) EXPECT_EQ(HeadingForm->TimeLabels[c]->text(), "") << c;
    EXPECT_TRUE(HeadingForm->ui->PaintBox1->Needles().empty());
    ASSERT_TRUE(BeatPassed(BeatDrawing::BeatMs));   // still nothing
    EXPECT_EQ(Shown().mid(0, 2), before.mid(0, 2));
    EXPECT_EQ(Shown(FFTForm->Spectrum(0)).size(), 0);

    for (QWidget *w : std::initializer_list<QWidget *>{FFTForm, HeadingForm, EurofixForm}) w->show();
    ASSERT_TRUE(Drawn(FFTForm->Drawing()));
    ASSERT_TRUE(Drawn(HeadingForm->Drawing()));
    ASSERT_TRUE(Drawn(EurofixForm->Drawing()));
    const QStringList shown = Shown();
    ASSERT_EQ(shown.size(), everyLine.size());
    for (qsizetype i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], everyLine[i]) << i;
}

TEST_F(BeatViewsTest, AMinimisedWindowDrawsWhenRestored)
{
    CreateForms();
    ShowAndWait(FFTForm);
    FFTForm->showMinimized();
    Receive("DODU,FFTA,1.0,4096,0,2,1000,175000000,3,40.5,41.0,20.0,21.0");
    ASSERT_TRUE(BeatPassed(BeatDrawing::BeatMs));
    EXPECT_EQ(Shown(FFTForm->Spectrum(0)).size(), 0);
    FFTForm->showNormal();   // drawn at once
    EXPECT_EQ(Shown(FFTForm->Spectrum(0)).size(), 2);
}

TEST_F(BeatViewsTest, AShownWindowRedrawsAtMostOnceABeat)
{
    CreateForms();
    for (QWidget *w : std::initializer_list<QWidget *>{FFTForm, HeadingForm, EurofixForm}) ShowAndWait(w);
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> replaced;
    OnShown(FFTForm->Spectrum(0), [&] { replaced.push_back(clock.elapsed()); });
    ASSERT_TRUE(BeatPassed(BeatDrawing::BeatMs));   // a period since the window was drawn
    for (int i = 0; i < 10; ++i) {
        Receive("DODU,FFTA,1.1,1024,0,2,64,0.25,5,2," + std::to_string(20 + i) + ",30,20,30");
        if (i == 0) {
            EXPECT_EQ(replaced.size(), 1u);   // the first at once
        }
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(Drawn(FFTForm->Drawing()));
    // The others wait for the beat (more than one on a slow machine).
    EXPECT_TRUE(AtMostOnceAPeriod(replaced, BeatDrawing::BeatMs));
    EXPECT_EQ(Shown(FFTForm->Spectrum(0)).at(0).y(), 29.0);

    // A label in a window shown is painted once a beat for a burst of lines, not for each.
    QLabel *label = HeadingForm->TimeLabels[0];
    ASSERT_TRUE(BeatPassed(BeatDrawing::BeatMs));
    QElapsedTimer burst;
    int paints = Paints(label, [&] {
        burst.start();
        for (int i = 0; i < 10; ++i) {
            MainForm->ReceiveData(QByteArray::fromStdString(Sentence("DODU,HDGA,1.0," + std::to_string(10 + i) + ",0.01,G,10,0.25,0.75") + "\r\n"));
            QCoreApplication::processEvents();
        }
        ASSERT_TRUE(Drawn(HeadingForm->Drawing()));
        for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();   // the last drawing painted
    });
    EXPECT_GE(paints, 1);
    EXPECT_LE(paints, 2 + burst.elapsed() / BeatDrawing::BeatMs);   // the first, and one a beat
    EXPECT_EQ(label->text(), "19.00");
}

// The charts of windows that are not shown do no work for the lines that come:
// no axis gets a range, no series points, no chart is laid out, no clock ticks.
TEST_F(BeatViewsTest, HiddenChartsDoNoChartWork)
{
    CreateForms();
    // The charts' first layout, which takes a few turns of posted events.
    for (int turn = 0; turn < 10; ++turn) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    struct Counter : QObject {
        QStringList work;
        bool eventFilter(QObject *o, QEvent *e) override
        {
            if (e->type() == QEvent::LayoutRequest || e->type() == QEvent::GraphicsSceneResize)
                work << o->objectName() + " layout";
            return false;
        }
    } counter;
    const std::vector<std::pair<QString, ChartView *>> charts{{"TD", TDForm->Chart1}, {"position", PositionForm->Chart1},
                                                             {"FFT 1", FFTForm->Chart1}, {"FFT 2", FFTForm->Chart2}};
    for (const auto &[name, view] : charts) {
        view->chart()->setObjectName(name);
        view->chart()->installEventFilter(&counter);
        QObject::connect(view, &ChartView::PointsShown, &counter, [&, name] { counter.work << name + " points"; });
        for (QValueAxis *axis : {view->BottomAxis(), view->LeftAxis()})
            QObject::connect(axis, &QValueAxis::rangeChanged, &counter, [&, name] { counter.work << name + " range"; });
    }
    FeedLines(false);
    ASSERT_TRUE(BeatPassed(std::max(TTDForm::RedrawMs, TPositionForm::RedrawMs)));
    EXPECT_EQ(counter.work, QStringList());
    EXPECT_GT(TDForm->Stations.size(), 0u);   // the lines were read
    EXPECT_FALSE(TDForm->Timer1->isActive());
    EXPECT_FALSE(PositionForm->Timer1->isActive());
    for (const auto &[name, view] : charts) view->chart()->removeEventFilter(&counter);
}

// A log window covered whole by another window of the frame shows nothing new
// until a piece of it comes into sight, and then at once its newest line.
TEST_F(BeatViewsTest, ALogWindowCoveredWholeShowsItsLineOnceUncovered)
{
    CreateForms();
    ShowAndWait(MainForm);
    Item("NOTCHA1")->trigger();
    Item("SerialMonitor1")->trigger();
    ASSERT_TRUE(NOTCHAForm && MonitorForm);
    ASSERT_TRUE(QTest::qWaitFor([] { return NOTCHAForm->isVisible() && MonitorForm->isVisible(); }, 5000));
    MonitorForm->setGeometry(NOTCHAForm->geometry().adjusted(-4, -4, 4, 4));
    MonitorForm->raise();
    ASSERT_FALSE(BeatDrawing::InSight(NOTCHAForm));
    const QString before = NOTCHAForm->ui->NumNotchesLabel->text();
    for (int n = 1; n <= 3; ++n) Receive("DODU,NOTCHA,1.0,35.37," + std::to_string(n) + ",1,100.0,1.0,2,200.0,1.0,3,300.0,1.0");
    ASSERT_TRUE(BeatPassed(BeatDrawing::BeatMs));
    EXPECT_EQ(NOTCHAForm->ui->NumNotchesLabel->text(), before);
    MonitorForm->move(MonitorForm->x() + 20, MonitorForm->y());
    EXPECT_EQ(NOTCHAForm->ui->NumNotchesLabel->text(), "3");
}
