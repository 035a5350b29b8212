// A status bar of text panels that share its width equally, each with its own
// text and alignment.
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <vector>

class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusPanels(int count, QWidget *parent = nullptr);

    int PanelCount() const { return static_cast<int>(panels_.size()); }
    QString PanelText(int i) const;
    void SetPanelText(int i, const QString &text);
    void SetPanelAlignment(int i, Qt::Alignment alignment);
    int PanelWidth(int i) const;

signals:
    void DoubleClicked();
    void RightClicked(const QPoint &globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    std::vector<QLabel *> panels_;
};
