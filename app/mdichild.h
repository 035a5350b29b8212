// A window inside the main frame, made on demand from a View item.
//
// The item's check mark says whether the window exists: the window checks it
// when it is made and clears it when it is destroyed, whoever destroys it.
// Closing the window frees it.
#pragma once

#include <QAction>
#include <QMdiSubWindow>
#include <QPointer>

class MdiChildForm : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit MdiChildForm(QAction *menuItem, QWidget *parent = nullptr);
    ~MdiChildForm() override;

    QPointer<QAction> MenuItem;

    // The form's own area, below the title bar; its layout is built on it.
    QWidget *Client() const { return client_; }
    int ClientWidth() const { return client_->width(); }
    int ClientHeight() const { return client_->height(); }
    // Fixed client size (a single, non-sizeable border); the frame follows.
    void SetClientSize(int width, int height);
    void SetClientWidth(int width) { SetClientSize(width, ClientHeight()); }
    void SetClientHeight(int height) { SetClientSize(ClientWidth(), height); }
    // A sizeable window: the client may be resized by the user above this minimum.
    void SetSizeable(int minClientWidth, int minClientHeight);

    // Title bar and borders around the client.
    QSize FrameSize() const;

    // The place and size the window has in the normal state, also while it is
    // minimised or maximised (where it returns to).
    QRect NormalGeometry() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *client_;
    QRect normal_;
};
