#pragma once

#include <QWidget>

// A transparent layer over the content that takes the reader's clicks, wheel turns
// and context-menu requests and hands them on, so nobody ever works the PDF control
// directly. It never takes the keyboard focus.
class CCoverDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CCoverDlg(QWidget* parent);

signals:
    // Points are in the parent's coordinates: the cover lies exactly on it.
    void leftButtonDown(const QPoint& point);
    void wheelTurned(int delta);
    // Below 0 when tilted to the left.
    void wheelTilted(int delta);
    // (-1, -1) when the menu was asked for from the keyboard.
    void contextMenuRequested(const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
};
