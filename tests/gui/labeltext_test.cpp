// A watched value label shows, pixel for pixel, what the label draws itself,
// for every alignment, height and text, and draws numbers from the table of
// the font's glyphs. Labels that fill their own background show what the
// container and the labels beneath them showed.
#include <QGroupBox>
#include <QLinearGradient>
#include <QScreen>

#include "gui_test_support.h"
#include "logs/labeltext.h"
#include "platform/fonts.h"

namespace {

// A label that counts the paints it does itself.
class CountedLabel : public QLabel {
public:
    using QLabel::QLabel;
    int painted = 0;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        ++painted;
        QLabel::paintEvent(event);
    }
};

TEST(LabelTextTest, DrawsAsTheLabel)
{
    QWidget window;
    window.setFont(DialogFont());
    window.resize(900, 700);
    LabelText painter;
    const QStringList texts = {"   1234.56", "-1.23e-05", "0x00FF", "Yes", "No", "WP", "Fine fit", "12  ", "A", "",
                               "Very long text that runs far past its label", "25\u00b0", "(|)_gjpqy ~{}", "AVAWTeTo"};
    const std::vector<Qt::Alignment> aligns = {Qt::AlignRight | Qt::AlignVCenter, Qt::AlignLeft | Qt::AlignVCenter,
                                               Qt::AlignHCenter | Qt::AlignTop, Qt::AlignRight | Qt::AlignBottom,
                                               Qt::AlignLeft | Qt::AlignTop};
    struct Pair {
        CountedLabel *ours, *reference;
    };
    std::vector<Pair> pairs;
    int y = 0;
    for (int height : {13, 14, 16, 17}) {
        for (Qt::Alignment align : aligns) {
            int x = 0;
            for (const QString &text : texts) {
                Pair p{new CountedLabel(text, &window), new CountedLabel(text, &window)};
                for (CountedLabel *l : {p.ours, p.reference}) {
                    l->setTextFormat(Qt::PlainText);
                    l->setAlignment(align);
                    l->setAutoFillBackground(true);
                }
                p.ours->setGeometry(x, y, 61, height);
                p.reference->setGeometry(x, y + 350, 61, height);
                painter.Watch(p.ours);
                pairs.push_back(p);
                x += 63;
            }
            y += height + 1;
        }
    }
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto shown = [&] {
        for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
        return window.screen()->grabWindow(window.winId()).toImage();
    };
    auto expectSame = [&](const std::string &when) {
        const QImage screen = shown();
        for (const Pair &p : pairs) {
            const QImage ours = screen.copy(p.ours->geometry()), reference = screen.copy(p.reference->geometry());
            EXPECT_TRUE(ours == reference) << when << ": \"" << p.ours->text().toStdString() << "\" aligned "
                                           << p.ours->alignment() << " " << p.ours->height() << " px high";
        }
    };
    expectSame("shown");
    // Numbers are drawn from the table, not by the label (a centred text by
    // the label).
    for (const Pair &p : pairs)
        if (p.ours->text() == "-1.23e-05" || p.ours->text() == "   1234.56") {
            EXPECT_EQ(p.ours->painted, p.ours->alignment() & Qt::AlignHCenter ? 1 : 0) << p.ours->alignment();
        }
    // New texts, a disabled label, another colour and an underlined font.
    for (const Pair &p : pairs)
        for (CountedLabel *l : {p.ours, p.reference}) l->setText(l->text() == "No" ? "Yes" : l->text() + "7");
    pairs[3].ours->setEnabled(false), pairs[3].reference->setEnabled(false);
    for (CountedLabel *l : {pairs[1].ours, pairs[1].reference}) {
        QPalette palette = l->palette();
        palette.setColor(QPalette::WindowText, Qt::red);
        l->setPalette(palette);
    }
    for (CountedLabel *l : {pairs[0].ours, pairs[0].reference}) {
        QFont font = l->font();
        font.setUnderline(true);
        l->setFont(font);
    }
    expectSame("changed");
}

// Two containers alike, the labels of one left to draw over the container,
// those of the other filling their backgrounds where they may.
struct Filled {
    QWidget window;
    QWidget *reference, *ours;
    LabelText text;
    std::vector<QLabel *> labels[2];   // the same labels of each, in order
    QGroupBox *boxes[2] = {};

    Filled()
    {
        window.setFont(DialogFont());
        window.resize(420, 140);
        reference = new QWidget(&window);
        ours = new QWidget(&window);
        int side = 0;
        for (QWidget *container : {reference, ours}) {
            container->setAutoFillBackground(true);
            container->setGeometry(side * 210, 0, 200, 140);
            auto add = [&](const char *text, int x, int y, int w, Qt::Alignment align, QWidget *parent = nullptr) {
                auto *label = new QLabel(text, parent ? parent : container);
                label->setTextFormat(Qt::PlainText);
                label->setGeometry(x, y, w, 16);
                label->setAlignment(align);
                labels[side].push_back(label);
                return label;
            };
            const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter, left = Qt::AlignLeft | Qt::AlignVCenter;
            boxes[side] = new QGroupBox("Box", container);
            boxes[side]->setGeometry(0, 90, 150, 46);
            add("Heading Std:", 16, 0, 70, left);   // 0: captions the value labels lie over
            add("0.30", 52, 0, 72, right);          // 1
            add("Quality:", 16, 16, 70, left);      // 2
            add("0.99", 52, 16, 72, right);         // 3
            add("Alone", 130, 0, 60, left);         // 4
            add("", 130, 16, 60, right);            // 5: empty
            add("Time:", 16, 32, 70, left);         // 6
            add("12.5", 52, 32, 72, right)->setEnabled(false);   // 7: disabled
            add("under", 130, 40, 60, left);        // 8: covered by the next
            add("over", 150, 44, 40, left);         // 9
            add("in a box", 4, 0, 60, left, boxes[side]);   // 10: over the box's frame
            add("on the box", 100, 84, 80, right);  // 11: over the box, a sibling beneath
            add("hid", 90, 60, 20, left);           // 12: hidden whole by the next
            add("wide over", 80, 60, 60, right);    // 13
            ++side;
        }
        for (QLabel *label : ours->findChildren<QLabel *>()) text.Watch(label);
        text.FillBehind(ours);
        window.show();
    }

    // Each label of ours shows what the same label of the reference shows.
    void ExpectSame(const std::string &when)
    {
        for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
        const QImage screen = window.screen()->grabWindow(window.winId()).toImage();
        EXPECT_TRUE(screen.copy(reference->geometry()) == screen.copy(ours->geometry())) << when;
        for (size_t i = 0; i < labels[0].size(); ++i) {
            auto place = [&](QLabel *l) { return QRect(l->mapTo(&window, QPoint()), l->size()); };
            EXPECT_TRUE(screen.copy(place(labels[0][i])) == screen.copy(place(labels[1][i])))
                << when << ": label " << i << " \"" << labels[1][i]->text().toStdString() << "\"";
        }
    }
    void SetText(size_t i, const QString &t)
    {
        for (auto &l : labels) l[i]->setText(t);
    }
};

TEST(LabelTextTest, FilledLabelsShowWhatTheContainerShowed)
{
    Filled f;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.window));
    // Those over a plain fill and nothing but labels fill; those under
    // another label or over a group box are left as they were.
    std::vector<bool> opaque;
    for (QLabel *l : f.labels[1]) opaque.push_back(l->testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_EQ(opaque, std::vector<bool>({false, true, false, true, true, true, false, true, false, true, false, false,
                                         false, false}));
    f.ExpectSame("shown");
    // A value repaints its label alone.
    int containerPaints = 0, labelPaints = 0;
    containerPaints = Paints(f.ours, [&] {
        labelPaints = Paints(f.labels[1][1], [&] {
            f.labels[1][1]->setText("2.81");
            for (int turn = 0; turn < 3; ++turn) QCoreApplication::processEvents();
        });
    });
    EXPECT_EQ(containerPaints, 0);
    EXPECT_EQ(labelPaints, 1);
    // Longer (past the label's left edge, over its caption), shorter, empty, back.
    for (const QString &t : {QString("-123456789.012345"), QString("7"), QString(), QString("0.30")}) {
        for (size_t i : {1, 3, 5, 7, 9, 11}) f.SetText(i, t);
        f.ExpectSame("text \"" + t.toStdString() + "\"");
    }
    // A caption beneath a value changes; a label hidden whole beneath another.
    f.SetText(0, "Heading Standard Deviation");
    f.SetText(12, "HID");
    f.ExpectSame("caption changed");
    // Another colour of the container; a container filled with a gradient,
    // beneath which the labels no longer fill.
    for (QWidget *c : {f.reference, f.ours}) {
        QPalette p = c->palette();
        p.setColor(QPalette::Window, QColor(200, 230, 255));
        c->setPalette(p);
    }
    f.ExpectSame("coloured container");
    QLinearGradient gradient(0, 0, 0, 140);
    gradient.setColorAt(0, Qt::white);
    gradient.setColorAt(1, Qt::darkBlue);
    for (QWidget *c : {f.reference, f.ours}) {
        QPalette p = c->palette();
        p.setBrush(QPalette::Window, gradient);
        c->setPalette(p);
    }
    EXPECT_FALSE(f.labels[1][1]->testAttribute(Qt::WA_OpaquePaintEvent));
    f.ExpectSame("gradient");
}

}   // namespace
