#pragma once

#include "reader/ThumbQueue.h"
#include "view/GridLayout.h"

#include <QWidget>

class CColorListCtrl;
class IconStrip;

// The Folder screen's books as their covers: the rows of its list laid out as a grid, each
// with its name under it and its icon (its kind, its reading mark) at the cover's corner;
// folders and drives show their icons. The list stays the screen's own: what is chosen,
// opened or marked there is what the grid shows, and the grid chooses in it. Every key
// reaches the parent window before the grid moves, as with the list; Up and Down move by
// a row, Left and Right by one (Left on the first book goes up a folder), Page Up and Page
// Down by a screen.
class CoverGrid : public QWidget
{
    Q_OBJECT
public:
    // The covers of the list's books at a side, in device pixels.
    using Covers = std::function<ThumbQueue::Factory(int side)>;

    CoverGrid(CColorListCtrl& list, QWidget* parent);

    // With covers on, the grid stands over the list wherever and whenever it is shown, and
    // takes its focus.
    void SetOn(bool on);
    bool IsOn() const { return m_bOn; }

    // The list was filled anew: books gives each row's file ("" for none).
    void SetBooks(Covers covers);
    void Stop();
    // The type of the list and the icons of its size.
    void Layout(const QFont& type, const IconStrip* icons);
    const GridLayout& Grid() const { return m_grid; }
    int Scroll() const { return m_nScroll; }
    const ThumbQueue& Thumbs() const { return m_thumbs; }

signals:
    void folderUp();
    void itemDoubleClicked();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void Relayout();
    void Choose(int item);
    // Keeps the list's choice in sight.
    void FollowChoice();
    void SetScroll(int scroll);
    void WantCovers();
    bool MoveKey(int key);

    CColorListCtrl& m_list;
    ThumbQueue m_thumbs;
    Covers m_covers;
    GridLayout m_grid;
    QFont m_type;
    const IconStrip* m_pIcons = nullptr;
    int m_nScroll = 0;
    int m_nSide = 0;
    bool m_bOn = false;
};
