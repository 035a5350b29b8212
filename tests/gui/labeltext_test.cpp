// A watched value label shows, pixel for pixel, what the label draws itself,
// for every alignment, height and text, and draws numbers from the table of
// the font's glyphs.
#include <QScreen>

#include "gui_test_support.h"
#include "platform/labeltext.h"
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

}   // namespace
