#pragma once

#include "browser/ColorListCtrl.h"
#include "pdf/PdfOutline.h"

#include <QWidget>

// The contents screen: a PDF's outline over the open book, in the large type, header
// and colours of the list screens, nested entries indented. The list hands its keys to
// this screen, which leaves them to its parent; the wheel and double clicks come out as
// signals.
class COutlineScreen : public QWidget
{
    Q_OBJECT
public:
    explicit COutlineScreen(QWidget* parent);

    // Lists the entries and selects the one that holds page.
    void Fill(const QList<OutlineEntry>& entries, int page, const QString& bookName);
    // The type, header and columns of the list screens at a size index; fonts are the six
    // of ListGeometry and must outlive the screen.
    void Layout(const QFont* fonts, int sizeIndex);
    CColorListCtrl& List() { return m_list; }
    // The page of the selected entry; 0 when nothing is selected or it leads nowhere.
    int SelectedPage() const;

signals:
    void entryChosen();
    void wheelTurned(int delta);

protected:
    void paintEvent(QPaintEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    CColorListCtrl m_list;
    QList<int> m_pages;
    QString m_strBookName;
    const QFont* m_pFonts = nullptr;
    int m_nSizeIndex = 0;
};
