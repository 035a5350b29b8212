// A read-only pane of receiver traffic: a plain-text edit that shows the last
// characters of the stream and, unless it has the focus, keeps the end of the
// text in view as the stream runs and as the pane's size changes.
#pragma once

#include <QPlainTextEdit>

class TrafficPane : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TrafficPane(QWidget *parent = nullptr);

    // Where the view goes as the text moves on.
    enum class Follow {
        Caret,    // the caret's line whole in view, above the horizontal bar
        Bottom,   // the vertical bar at its maximum
    };
    void SetFollow(Follow follow) { follow_ = follow; }

    // Shows text as setPlainText shows it (a CR LF, a lone CR or a LF ends a
    // line), with the caret at its end and the view following it. Where the
    // text is the one shown with characters gone at the front and new ones at
    // the end, the document is edited, not set anew: only what fell off the
    // front is removed and only what came in is added and laid out.
    void ShowText(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void FollowEnd();
    Follow follow_ = Follow::Caret;
};
