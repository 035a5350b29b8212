// Text from the stream is data: markup in a received field is shown as it
// stands, in every window that shows received text and in message boxes.
#include <QMessageBox>

#include "../core/eurofix_hex.h"
#include "gui_test_support.h"
#include "app/application.h"

namespace {

// The sample's first line of a type with its version field replaced.
std::string SampleWithVersion(const std::string &type, const std::string &version)
{
    for (const QByteArray &bytes : SampleBytes().split('\n')) {
        QString line = QString::fromLatin1(bytes).trimmed();
        if (!line.startsWith("$DODU," + QString::fromStdString(type) + ",")) continue;
        QStringList fields = line.mid(1, line.lastIndexOf('*') - 1).split(',');
        fields[2] = QString::fromStdString(version);
        return fields.join(',').toStdString();
    }
    return {};
}

QList<QLabel *> LabelsShowing(const QString &text)
{
    QList<QLabel *> found;
    for (QWidget *w : QApplication::allWidgets())
        if (auto *label = qobject_cast<QLabel *>(w); label && label->text().contains(text)) found << label;
    return found;
}

} // namespace

class PlainTextTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
        MainForm->show();
    }
};

TEST_F(PlainTextTest, MarkupInReceivedFieldsIsShownAsPlainText)
{
    struct Case {
        const char *item;   // the View item opening the window; none for the Eurofix window
        std::string type;
    };
    const Case cases[] = {{"TOAA1", "TOAA"},     {"DASFA1", "DASFA"},   {"GPPOSA1", "GPPOSA"},
                          {"INPOSA1", "INPOSA"}, {"LCPOSA1", "LCPOSA"}, {"NOTCHA1", "NOTCHA"},
                          {"SYNCA1", "SYNCA"},   {nullptr, "RMSGA"}};
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        const std::string markup = "<b>" + std::to_string(++n) + "</b>";
        if (c.item) Item(c.item)->trigger();
        if (c.type == "RMSGA") {
            // An SMS text: its alert shows the text received.
            const std::string head = "DODU,RMSGA,1.0,12.5,7499M,";
            Receive(head + eurofixtest::SmsHex(0, false, (markup.substr(0, 6)).c_str()) + ",0,1");
            Receive(head + eurofixtest::SmsHex(1, true, (markup.substr(6) + "    ").c_str()) + ",0,1");
        } else {
            Receive(SampleWithVersion(c.type, markup));
        }
        const QList<QLabel *> labels = LabelsShowing(QString::fromStdString(markup));
        ASSERT_FALSE(labels.isEmpty());
        for (QLabel *label : labels) EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
    }
}

// A box shows its text as plain text, and is at least as wide as its caption
// needs in a window manager's title bar: the caption in the bold face title
// bars draw with, and beside it the window's icon and its iconify, maximise
// and close buttons, each about as wide as the bar is high, with padding.
TEST_F(PlainTextTest, MessageBoxesShowTheirTextAsPlainTextUnderTheirWholeCaption)
{
    Notifier::SetSink({});
    const std::pair<QString, QString> boxes[] = {{"Error...", "<b>text</b>"},
                                                 {"Error...", "Invalid comport"},
                                                 {"Error", "Cannot open COM-port"},
                                                 {ApplicationTitle, "'x' is not a valid integer value"}};
    for (const auto &[caption, text] : boxes) {
        Qt::TextFormat format = Qt::AutoText;
        int width = 0;
        QTimer::singleShot(0, [&] {
            QMessageBox *box = nullptr;
            if (!QTest::qWaitFor([&] { return (box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) && box->isVisible(); }, 5000))
                return;
            format = box->textFormat();
            width = box->width();
            box->accept();
        });
        Notifier::Show(caption, text);
        EXPECT_EQ(format, Qt::PlainText) << text.toStdString();
        QFont titleFont = QApplication::font();
        titleFont.setBold(true);
        const QFontMetrics title(titleFont);
        const int needed = title.horizontalAdvance(caption) + 5 * (title.height() + 8);
        EXPECT_GE(width, needed) << caption.toStdString();
    }
}
