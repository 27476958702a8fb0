#pragma once

#include "browser/BookRecord.h"
#include "browser/ColorListCtrl.h"
#include "browser/FileSizeReader.h"
#include "browser/IconStrip.h"
#include "browser/ListGeometry.h"
#include "pad/ControlDlg.h"
#include "pdf/AcroAXDocShim.h"
#include "pdf/CoverDlg.h"
#include "pdf/OutlineScreen.h"
#include "platform/InputGate.h"
#include "platform/KeyTracker.h"
#include "platform/OpeningWait.h"
#include "reader/ImageBookReader.h"
#include "reader/PdfReader.h"
#include "reader/SpreadPairing.h"
#include "view/CoverGrid.h"
#include "view/KeyHelpOverlay.h"
#include "view/PageGridOverlay.h"
#include "view/PageIndicator.h"
#include "view/PlaceKeeper.h"

#include <QFont>
#include <QHash>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <memory>

class CMainFrame;
class PageThumbFiles;
class CTalvexDoc;

// The one viewer window: both list screens, the header above them, the reading screen
// and its overlays, and the routing of the reader's input. An open book is its reader's
// (ImageBookReader or PdfReader); the view asks it, whatever the book is made of. The
// methods live in View….cpp files beside this one, each group below naming its file.
class CTalvexView : public QWidget
{
    Q_OBJECT
public:
    // TalvexView.cpp: making, showing and ending the window, its header and lists.
    explicit CTalvexView(CTalvexDoc* doc, QWidget* parent = nullptr);
    ~CTalvexView() override;
    void OnCreate();
    void OnInitialUpdate();
    void OnDestroy();
    CTalvexDoc* GetDocument() const { return m_pDocument; }
    CMainFrame* GetParentFrame() const;
    // 0..4: the full-screen or the normal-window size, by the frame's state.
    int SizeIndex() const;
    void ShowListScreen();
    void LayoutList(CColorListCtrl& list, int cx, int cy);
    void SaveViewState();

    // ViewFolderList.cpp: the Folder screen's list.
    void FillFolderList(const QString& nameToSelect);
    // The Folder screen is in sight with its books shown as their covers.
    bool CoversShown() const;
    void ScanDrives();
    // Lists the current folder; false when it is not there or its drive did not answer
    // before the reader gave up.
    bool ScanFolder();
    // The kinds of book the Folder screen lists: the enabled pictures, and archives.
    int ListedKinds() const;
    void LookupResume(BookRecord& record) const;

    // ViewResumeEntries.cpp: the Resume screen's list and its entries.
    void FillResumeList(const BookRecord* target);
    void OnResumeDelete();
    void RegisterResume(int mode);
    void FilterResumeByPicExt();

    // ViewInput.cpp: keys, clicks, the wheel and the menu. The key handlers return false
    // for a key they leave to the window's own handling.
    bool OnKeyDown(int vk, bool repeat, bool ctrl, bool shift);
    // Left and Right while reading: a turn the way the book reads, or the magnifier's move.
    int ReadingSideAction(int action) const;
    bool OnSysKeyDown(int vk, bool repeat);
    void OnLButtonDown(const QPoint& point);
    void OnMouseWheel(int delta);
    void OnMouseHWheel(int delta);
    // A point of (-1, -1) asks for the menu at the view's corner, as from the keyboard.
    void OnContextMenu(const QPoint& globalPos);

    // ViewCommands.cpp: the commands of the menus and keys.
    void OnCommand(int id);
    void ToggleZoom();
    void CycleLayout();
    void ToggleBinding();

    // ViewBrowseCommands.cpp: moving through the list screens, and books from outside.
    void OpenSelectedEntry();
    void FolderUp();
    void FolderTop();
    void SwitchScreenKeep();
    void SwitchScreenReset();
    // A book or folder handed from outside (the command line, a second start): closes
    // an open book as Esc does, shows the folder, and opens the book. A file that is no
    // book of the enabled types is refused with the message.
    void OpenFromOutside(const QString& path);
    // The same for a path a later start hands over: it waits while a dialog, a message,
    // a menu, the key help or a page turn is under way, and goes when they are done.
    // Paths handed meanwhile open in turn, in the order they came.
    void OpenHanded(const QString& path);
    // A PDF or an archive opened from the Folder screen takes its last place; whether it had one.
    bool TakeLastPlace(BookRecord& book) const;

    // ViewOpening.cpp: opening a book through its reader, and the reading screen's layout.
    bool OpenBook(BookRecord& record);
    void ShowListBehindDialog();
    void ApplyLayout();
    void LayoutContent();
    void PlaceCoverWindow();
    // How the record's pages pair: wide pages alone in the spreads once their shapes
    // are known, with the setting on.
    SpreadPairing Pairing(const BookRecord& record) const;
    // The settings a book opens with.
    BookReader::Options ReaderOptions() const;

    // ViewPageNav.cpp: turning pages, and closing the book.
    bool GoNextPage();
    bool GoPrevPage();
    void GoSkipForward();
    void GoSkipBack();
    void GoFirstPage();
    void GoLastPage();
    enum CloseMode { CLOSE_NO_RESUME = 0, CLOSE_OVERWRITE_RESUME = 1, CLOSE_ADD_RESUME = 2 };
    void CloseBook(int mode);

    // ViewZoom.cpp: the magnifier's regions.
    // Whether page lies in another spread than the one in sight.
    bool TurnsSpread(int page) const;
    void StepUp();
    void StepDown();
    void MoveZoomLeft();
    void MoveZoomRight();
    void ApplyZoom(int zoom);

    // ViewLook.cpp: how the pages look: their borders cut, and night reading.
    void ToggleCrop();
    void ToggleNight();
    void Restyle();

    // ViewFitWidth.cpp: the pages fitted to the width and scrolled through.
    void ToggleFitWidth();
    bool Scrolls() const;
    // A command or action while scrolling: page keys and arrows scroll, the magnifier
    // does nothing. False for one that acts as it always does.
    bool ScrollCommand(int id);
    bool ScrollAction(int action);
    // The wheel: angle in eighths of a degree, or pixels from a touchpad.
    void ScrollWheel(int angle, int pixels);

    // ViewGoToPage.cpp: a page of the reader's choice, shown as a skip shows it.
    void GoToPage();
    void JumpToPage(int page);

    // ViewOutline.cpp: the contents screen of a PDF with an outline.
    void ShowOutline();
    void CloseOutline();
    void OpenOutlineEntry();
    bool OutlineShown() const;
    void LayoutOutline();

    // ViewPageGrid.cpp: the pages of the open book at a glance.
    bool GridShown() const;
    void ShowPageGrid();
    void LayoutPageGrid();
    void ClosePageGrid();
    // Leaves the grid for a page, as a skip goes.
    void OpenGridPage(int page);

    // ViewPad.cpp: the remote pad.
    void ApplyPadSize();
    void TogglePad(const QPoint& point);
    void DispatchPadCommand(int code);

    // ViewSettings.cpp: the settings dialog.
    void OnSettings();

    QFont m_fonts[ListGeometry::kFontCount];
    IconStrip m_imgList20;
    IconStrip m_imgList28;
    IconStrip m_imgList40;
    IconStrip m_imgList56;
    IconStrip m_imgList80;
    CControlDlg m_dlgControl;
    int m_nPadSize = 40;
    int m_nTimer = 0;
    bool m_bUserFullScreen = false;
    bool m_bContent = false;
    BookRecord m_book;
    bool m_bResumeScreen = false;
    QString m_strCurrentFolder;
    BookRecordList m_folderItems;
    BookRecordList m_resumeItems;
    // The books' sizes of the Folder screen, and whether the Resume screen's books are
    // still there, read off this thread.
    FileSizeReader m_folderSizes;
    FileSizeReader m_resumeSizes;
    // The entry each row of the Resume screen shows.
    QList<qsizetype> m_resumeRows;
    CColorListCtrl m_listFolder;
    CColorListCtrl m_listResume;
    // Over the Folder screen's list, with its covers on.
    CoverGrid m_coverGrid { m_listFolder, this };
    CAcroAXDocShim m_wndPdf;
    CCoverDlg m_dlgCover;
    PageIndicator m_pageIndicator;
    PlaceKeeper m_placeKeeper { [this] { return m_bContent ? &m_book : nullptr; } };
    // The book being opened takes its last place: the plate says so.
    bool m_bOpenedAtLastPlace = false;
    // Over the content and the cover, so made after them.
    COutlineScreen m_outline { this };
    PageGridOverlay m_pageGrid { this };
    // Where small pictures of pages and covers are kept between runs.
    QString m_strCacheHome;
    std::shared_ptr<PageThumbFiles> m_thumbFiles;
    int m_nFontSizeNormal = 2;
    int m_nFontSizeFull = 4;
    int m_nSkipForward = 10;
    int m_nSkipBack = 10;
    int m_nLayoutPdf = 2;
    int m_nLayoutImage = 2;
    int m_nPicExt = 0xE7;
    int m_nBind = 0;
    int m_nSpace = 0;
    bool m_bPicEnlarge = false;
    bool m_bFolderOnResume = false;
    bool m_bHideCursor = true;
    // IndicatorRules::Shown.
    int m_nPageIndicator = IndicatorRules::SHOWN_MOMENT;
    bool m_bNaturalSort = true;
    bool m_bLastPlace = true;
    bool m_bWidePageAlone = false;
    bool m_bCropBorders = false;
    int m_nCropMargin = 1;
    bool m_bNightMode = false;
    bool m_bFitWidthPdf = false;
    bool m_bFitWidthImages = false;
    bool m_bFolderCovers = false;
    bool m_bArchives = true;
    bool m_bMenuOpen = false;
    QString m_strOpenedPath;
    int m_nOpenedPage = -1;
    QPoint m_ptLastCursor;
    int m_nIdleTicks = 0;
    InputGate m_inputGate;
    OpeningWait m_opening { this };
    // The readers of the two kinds of book, and the one of the book opened last.
    ImageBookReader m_imageBook { this, m_opening };
    PdfReader m_pdfBook { this, m_opening, m_wndPdf };
    BookReader* m_pReader = &m_pdfBook;
    // Which keys are down, so that a key held down acts once.
    KeyTracker m_keys;
    // Above every other child, so it is made after them.
    KeyHelpOverlay m_keyHelp { this, m_keys };

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    // TalvexView.cpp.
    void OnSize(int cx, int cy);
    void OnSetFocus();
    void OnTimer();
    void DrawHeader(QPainter& painter);
    CColorListCtrl& CurrentList();
    // Where the keys of the pad and the wheel go on a screen that is not reading.
    QWidget& KeyTarget();
    const IconStrip& IconsFor(int sizeIndex) const;
    // ViewFolderList.cpp.
    void OnFolderSizesRead(qsizetype first, const QList<qint64>& sizes);
    // ViewResumeEntries.cpp.
    // Registrations and deletions go to disk at once, not only at a clean exit.
    void SaveResumeEntriesNow();
    void OnResumeSizesRead(qsizetype first, const QList<qint64>& sizes);
    // ViewInput.cpp.
    int InputScreen() const;
    void RunAction(int action);
    const BookRecord* SelectedRecord();
    // ViewCommands.cpp.
    void ToggleFullScreenByReader();
    // ViewBrowseCommands.cpp.
    void OpenNextHanded();
    // Whether a file (or a folder) is there, asked off this thread; nothing when the
    // reader gave up waiting for the drive.
    std::optional<bool> IsThere(const QString& path, bool folder);
    // The size of a file, or -1 when it is not there, asked off this thread; nothing when
    // the reader gave up waiting.
    std::optional<qint64> SizeOf(const QString& path);
    // ViewOpening.cpp.
    void OnContentTimer();
    void EnterContent(const BookRecord& record);
    // ViewPageNav.cpp.
    void ShowPage();
    void ShowPageAt(int page, bool forward);
    // Next and previous: a page move that shows a new spread only when there is one.
    bool TurnTo(int page, bool forward);
    // ViewZoom.cpp.
    void MoveZoomTo(int zoom);
    // ViewIndicator.cpp: says where the reader is, once what it says is on the screen: a
    // spread still on its way tells when it arrives. notice: a word for the reader under
    // the pages ("目次がありません").
    void ShowPageIndicator(bool opening = false, const QString& notice = {}, bool asked = false);

    CTalvexDoc* m_pDocument;
    // Values are saved only once they were loaded: a view that dies before its
    // initial update must not write empty values over the stored ones.
    bool m_bInitialUpdateDone = false;
    bool m_bDestroyed = false;
    int m_nWheelPending = 0;
    int m_nHWheelPending = 0;
    // Handed over and not yet opened, oldest first; the first is under way.
    QStringList m_handed;
};
