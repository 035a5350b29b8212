// The status bar's panels: laid out and drawn as three labels added to a
// status bar side by side.
#include <QMainWindow>
#include <QStyleFactory>
#include <memory>

#include "gui_test_support.h"
#include "platform/statuspanels.h"

namespace {

// The panels as plain labels added to a plain status bar, the way they look.
QStatusBar *PlainBar(QMainWindow &window)
{
    auto *bar = new QStatusBar(&window);
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        auto *label = new QLabel(bar);
        label->setTextFormat(Qt::PlainText);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setContentsMargins(2, 0, 2, 0);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        label->setMinimumWidth(0);
        bar->addWidget(label, 1);
    }
    window.setStatusBar(bar);
    return bar;
}

} // namespace

TEST(StatusPanelsTest, ThePanelsLookAsLabelsInAStatusBar)
{
    QMainWindow ours, plain;
    auto *panels = new StatusPanels(3, &ours);
    ours.setStatusBar(panels);
    QStatusBar *bar = PlainBar(plain);
    const QList<QLabel *> labels = bar->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(labels.size(), 3);
    const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    for (int i = 0; i < 3; ++i) {
        panels->SetPanelAlignment(i, alignments[i]);
        labels[i]->setAlignment(alignments[i] | Qt::AlignVCenter);
    }
    QFont font = QApplication::font();
    font.setPixelSize(13);
    for (QWidget *w : std::initializer_list<QWidget *>{panels, bar}) w->setFont(font);
    for (QMainWindow *w : {&ours, &plain}) {
        w->setCentralWidget(new QWidget);
        w->resize(601, 200);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    }
    auto same = [&](const std::string &when) {
        for (int turn = 0; turn < 3; ++turn) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(panels->geometry(), bar->geometry()) << when;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(panels->PanelWidth(i), labels[i]->width()) << when;
            EXPECT_EQ(panels->PanelText(i), labels[i]->text()) << when;
        }
        EXPECT_TRUE(panels->grab().toImage() == bar->grab().toImage()) << when;
    };
    const QString texts[][3] = {{"No data recording", "", "12:00:01   Dravelon "},
                                {"  25 B logged to log.txt", "a description", "12:00:02   Dravelon "},
                                {" 123.5 kB logged to a rather long file name that does not fit.txt", "", "12:00:02   Dravelon "},
                                {"", "", ""},
                                {"x", "y", "12:00:02   Dravelon "},
                                {"two\nlines", "z", "12:00:03   Dravelon "},   // a higher bar
                                {"  9 B logged to \u65e5\u672c\u8a9e.txt", "", "12:00:04   Dravelon "},
                                {"No data recording", "", "12:00:05   Dravelon "}};
    for (int width : {601, 874, 1333}) {
        for (QMainWindow *w : {&ours, &plain}) w->resize(width, 200);
        for (const auto &row : texts) {
            for (int i = 0; i < 3; ++i) {
                panels->SetPanelText(i, row[i]);
                labels[i]->setText(row[i]);
            }
            same(std::to_string(width) + " " + row[0].toStdString());
        }
    }
    // A larger font makes the bar higher, as it makes the plain one.
    font.setPixelSize(20);
    for (QWidget *w : std::initializer_list<QWidget *>{panels, bar}) w->setFont(font);
    same("larger font");
    // A style that frames each widget of a status bar frames each panel.
    std::unique_ptr<QStyle> framing(QStyleFactory::create("Windows"));
    ASSERT_TRUE(framing);
    for (QWidget *w : std::initializer_list<QWidget *>{panels, bar}) w->setStyle(framing.get());
    same("framing style");

    // The clock ticking: the panels show the newest texts.
    for (int second = 10; second < 14; ++second) {
        panels->SetPanelText(2, QString("12:00:%1   Dravelon ").arg(second));
        labels[2]->setText(QString("12:00:%1   Dravelon ").arg(second));
        panels->SetPanelText(0, QString("  %1 B logged to log.txt").arg(second * 100));
        labels[0]->setText(QString("  %1 B logged to log.txt").arg(second * 100));
    }
    same("clock ticking");
    EXPECT_EQ(panels->PanelText(2), "12:00:13   Dravelon ");
}
