#pragma once

#include "reader/ThumbQueue.h"
#include "view/GridLayout.h"

#include <QWidget>

#include <functional>

// The page grid: the pages of the open book as small pictures over the reading screen,
// under the header of the list screens, the page or spread being read marked and a frame
// moved with the keys. Enter or a click chooses the framed page; Esc or Ctrl+L closes.
// Keys it has no use for go on to its parent.
class PageGridOverlay : public QWidget
{
    Q_OBJECT
public:
    // The pictures of the open book's pages at a side, in device pixels.
    using Pictures = std::function<ThumbQueue::Factory(int side)>;

    explicit PageGridOverlay(QWidget* parent);

    // Shows pages 1..count with page framed and the pages of reading marked.
    void Open(int count, int page, const QList<int>& reading, bool rightToLeft,
        const QString& bookName, Pictures pictures);
    void Close();
    // The type and header of the list screens at a size index; fonts are the six of
    // ListGeometry and must outlive the grid.
    void Layout(const QFont* fonts, int sizeIndex);
    int FramedPage() const { return m_nFramed + 1; }
    const GridLayout& Grid() const { return m_grid; }
    int Scroll() const { return m_nScroll; }
    const ThumbQueue& Thumbs() const { return m_thumbs; }
    // Moves the frame as a key does, keeping it in sight.
    void MoveFrame(GridLayout::Move move);

signals:
    void chosen(int page);
    void closed();

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    int GridTop() const;
    void Relayout();
    void SetScroll(int scroll);
    // The pictures on the screen, then two screens ahead and one behind; only these are held.
    void WantPictures();

    ThumbQueue m_thumbs;
    Pictures m_pictures;
    GridLayout m_grid;
    int m_nCount = 0;
    int m_nFramed = 0;
    int m_nScroll = 0;
    int m_nSide = 0;
    bool m_bRightToLeft = false;
    QList<int> m_reading;
    QString m_strBookName;
    const QFont* m_pFonts = nullptr;
    int m_nSizeIndex = 0;
    int m_nWheelPending = 0;
};
