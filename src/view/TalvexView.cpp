#include "view/TalvexView.h"

#include "app/MainFrame.h"
#include "app/SettingsStore.h"
#include "app/TalvexDoc.h"
#include "browser/ListColours.h"
#include "browser/ListHeader.h"
#include "browser/ResumeStore.h"
#include "images/FreedesktopThumbnails.h"
#include "images/PageThumbFiles.h"
#include "pad/PadEvent.h"
#include "platform/CursorCounter.h"
#include "platform/DialogUnits.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/UiFont.h"
#include "view/PadCommands.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyle>
#include <QTimerEvent>

namespace
{
const QColor kFolderLabel(111, 160, 192);
// What the pictures of pages kept between runs may take on the disk.
constexpr qint64 kPageThumbBytes = qint64(256) << 20;
const QColor kResumeLabel(192, 160, 111);
} // namespace

CTalvexView::CTalvexView(CTalvexDoc* doc, QWidget* parent)
    : QWidget(parent)
    , m_dlgControl(this)
    , m_listFolder(this)
    , m_listResume(this)
    , m_wndPdf(this)
    , m_dlgCover(this)
    , m_pageIndicator(this)
    , m_strCacheHome(FreedesktopThumbnails::DefaultCacheHome())
    , m_thumbFiles(std::make_shared<PageThumbFiles>(
          PageThumbFiles::DefaultFolder(m_strCacheHome), kPageThumbBytes))
    , m_pDocument(doc)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    m_inputGate.Guard(this);
    m_inputGate.Guard(&m_dlgCover);
    for (BookReader* reader : std::initializer_list<BookReader*> { &m_imageBook, &m_pdfBook }) {
        connect(reader, &BookReader::asking, this, &CTalvexView::ShowListBehindDialog);
        connect(reader, &BookReader::spreadWaits, this, [this] { m_inputGate.Shut(); });
        connect(reader, &BookReader::scrolledTo, this, [this] { ShowPageIndicator(); });
        // Said before the keys held meanwhile act: they may turn on at once.
        connect(reader, &BookReader::spreadShown, this, [this] {
            ShowPageIndicator();
            m_inputGate.Open();
        });
    }
    connect(&m_folderSizes, &FileSizeReader::sizesRead, this, &CTalvexView::OnFolderSizesRead);
    connect(&m_resumeSizes, &FileSizeReader::sizesRead, this, &CTalvexView::OnResumeSizesRead);
}

CTalvexView::~CTalvexView()
{
    OnDestroy();
}

CMainFrame* CTalvexView::GetParentFrame() const
{
    return qobject_cast<CMainFrame*>(window());
}

int CTalvexView::SizeIndex() const
{
    const CMainFrame* frame = GetParentFrame();
    return frame && frame->m_bFullScreen ? m_nFontSizeFull : m_nFontSizeNormal;
}

void CTalvexView::OnCreate()
{
    for (int i = 0; i < ListGeometry::kFontCount; ++i) {
        QFont font;
        font.setFamilies(UiFontFamilies());
        font.setPixelSize(ListGeometry::kFontHeights[i]);
        font.setWeight(QFont::Normal);
        font.setStyleStrategy(QFont::PreferAntialias);
        m_fonts[i] = font;
    }
    IconStrip* strips[] = { &m_imgList20, &m_imgList28, &m_imgList40, &m_imgList56, &m_imgList80 };
    for (int i = 0; i < 5; ++i) {
        const int size = ListGeometry::kIconSizes[i];
        strips[i]->Load(QStringLiteral(":/icons/strip%1.png").arg(size), size);
    }
    for (CColorListCtrl* list : { &m_listFolder, &m_listResume }) {
        list->hide();
        list->setGeometry(rect());
        QPalette palette = list->palette();
        palette.setColor(QPalette::Base, kListBackground);
        list->setPalette(palette);
    }
    m_listFolder.SetColumns(QStringLiteral("File"), QStringLiteral("Size"));
    m_listResume.SetColumns(QStringLiteral("File"), QStringLiteral("Page"));
    m_listResume.SetPlaceholderText(
        QStringLiteral("読書中に Ctrl+S を押すと、\nここに読書位置が追加されます。"));
    connect(&m_listResume, &CColorListCtrl::itemChanged, this, [this] {
        if (!m_bContent && m_bResumeScreen)
            update();
    });
    for (CColorListCtrl* list : { &m_listFolder, &m_listResume })
        connect(list, &CColorListCtrl::itemDoubleClicked, this, &CTalvexView::OpenSelectedEntry);

    m_wndPdf.hide();
    m_wndPdf.setPageMode(QStringLiteral("none"));
    connect(&m_dlgCover, &CCoverDlg::leftButtonDown, this, &CTalvexView::OnLButtonDown);
    connect(&m_dlgCover, &CCoverDlg::wheelTurned, this, &CTalvexView::OnMouseWheel);
    connect(&m_dlgCover, &CCoverDlg::wheelTilted, this, &CTalvexView::OnMouseHWheel);
    connect(&m_dlgCover, &CCoverDlg::contextMenuRequested, this, &CTalvexView::OnContextMenu);
    connect(&m_outline, &COutlineScreen::entryChosen, this, &CTalvexView::OpenOutlineEntry);
    connect(&m_outline, &COutlineScreen::wheelTurned, this, &CTalvexView::OnMouseWheel);
    connect(&m_pageGrid, &PageGridOverlay::chosen, this, &CTalvexView::OpenGridPage);
    connect(&m_pageGrid, &PageGridOverlay::closed, this, &CTalvexView::ClosePageGrid);
    connect(&m_coverGrid, &CoverGrid::folderUp, this, &CTalvexView::FolderUp);
    connect(&m_coverGrid, &CoverGrid::itemDoubleClicked, this, &CTalvexView::OpenSelectedEntry);
    m_dlgCover.hide();
    PlaceCoverWindow();
    m_dlgControl.m_pView = this;
    m_dlgControl.m_cellTip = [this](int cell) {
        return PadCommands::PadToolTip(cell, InputRules::Screen(InputScreen()));
    };
    m_dlgControl.setGeometry(0, 0, 0, 0);
    m_dlgControl.hide();
}

void CTalvexView::OnInitialUpdate()
{
    m_pDocument->SetTitle(QString());
    Profile profile;
    const FontSizes sizes = SettingsStore::LoadFontSize(profile);
    m_nFontSizeNormal = sizes.normal;
    m_nFontSizeFull = sizes.full;
    m_nPadSize = sizes.pad;
    ApplyPadSize();

    const QString path = m_pDocument->GetPathName();
    m_strCurrentFolder
        = path.isEmpty() ? SettingsStore::LoadCurrentFolder(profile) : Paths::FolderPart(path);

    const ViewSettings settings = SettingsStore::LoadViewSettings(profile);
    m_nSkipForward = settings.skipForward;
    m_nSkipBack = settings.skipBack;
    m_nLayoutPdf = settings.layoutPdf;
    m_nLayoutImage = settings.layoutImage;
    m_nBind = settings.bind;
    m_bPicEnlarge = settings.picEnlarge;
    m_nPicExt = settings.picExt;
    m_nSpace = settings.space;
    m_bHideCursor = settings.hideCursor;
    m_bFolderOnResume = settings.folderOnResume;
    m_nPageIndicator = settings.pageIndicator;
    m_pageIndicator.SetSteady(m_nPageIndicator == IndicatorRules::SHOWN_ALWAYS);
    m_bNaturalSort = settings.naturalSort;
    m_bWidePageAlone = settings.widePageAlone;
    m_bArchives = settings.archives;
    m_bLastPlace = settings.lastPlace;
    m_bCropBorders = settings.cropBorders;
    m_nCropMargin = settings.cropMargin;
    m_bNightMode = settings.nightMode;
    m_bFitWidthPdf = settings.fitWidthPdf;
    m_bFitWidthImages = settings.fitWidthImages;
    m_bFolderCovers = settings.folderCovers;
    m_coverGrid.SetOn(m_bFolderCovers);

    m_resumeItems = ResumeStore::LoadResumeEntries(profile);
    m_bResumeScreen = !m_resumeItems.isEmpty();
    m_bInitialUpdateDone = true;

    LayoutList(m_listFolder, width(), height());
    LayoutList(m_listResume, width(), height());

    if (path.isEmpty())
        ShowListScreen();
    else
        OpenFromOutside(path);
    m_nTimer = startTimer(50);
}

void CTalvexView::OnDestroy()
{
    if (m_bDestroyed)
        return;
    m_bDestroyed = true;
    if (m_nTimer != 0) {
        killTimer(m_nTimer);
        m_nTimer = 0;
    }
    SaveViewState();
    m_dlgControl.close();
    m_dlgCover.close();
}

void CTalvexView::SaveViewState()
{
    if (!m_bInitialUpdateDone)
        return;
    Profile profile;
    profile.WriteProfileString(
        QStringLiteral("CurrentFolder"), Paths::ToStored(m_strCurrentFolder));
    ResumeStore::SaveResumeEntries(profile, m_resumeItems);
    // However the program ends, the open book keeps its place.
    if (m_bContent)
        m_placeKeeper.Remember(m_book);
    m_placeKeeper.Flush();
    m_pdfBook.RemoveTempCopy();
}

CColorListCtrl& CTalvexView::CurrentList()
{
    if (OutlineShown())
        return m_outline.List();
    return m_bResumeScreen ? m_listResume : m_listFolder;
}

QWidget& CTalvexView::KeyTarget()
{
    if (GridShown())
        return m_pageGrid;
    if (CoversShown())
        return m_coverGrid;
    return CurrentList();
}

const IconStrip& CTalvexView::IconsFor(int sizeIndex) const
{
    const IconStrip* strips[]
        = { &m_imgList20, &m_imgList28, &m_imgList40, &m_imgList56, &m_imgList80 };
    return *strips[std::clamp(sizeIndex, 0, 4)];
}

void CTalvexView::ShowListScreen()
{
    m_outline.hide();
    m_pageGrid.Close();
    if (m_bResumeScreen) {
        FillResumeList(&m_book);
        m_listFolder.hide();
        m_listResume.show();
        if (m_listResume.isVisible())
            m_listResume.setFocus();
    } else {
        FillFolderList(Paths::FileNamePart(m_book.strPath));
        m_listResume.hide();
        m_listFolder.show();
        if (m_listFolder.isVisible())
            m_listFolder.setFocus();
    }
}

void CTalvexView::LayoutList(CColorListCtrl& list, int cx, int cy)
{
    const int k = SizeIndex();
    const SizeGeometry g = ListGeometry::ForIndex(k);
    const int selected = list.GetSelectedIndex();
    // The dialogs read in the lists' type, from wherever the lists are read.
    DialogUnits::SetTypeSize(m_fonts[g.listFont].pixelSize());
    if (list.font().pixelSize() != m_fonts[g.listFont].pixelSize()) {
        list.scrollToTop();
        list.setFont(m_fonts[g.listFont]);
        list.header()->setFont(m_fonts[g.headerFont]);
        list.SetStateImageList(&IconsFor(k));
    }
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list);
    const ColumnWidths widths = ListGeometry::Columns(cx, scrollBar, k);
    list.setGeometry(0, g.listTop, cx, std::max(cy - g.listTop, 0));
    list.setColumnWidth(0, widths.name);
    list.setColumnWidth(1, widths.size);
    if (selected >= 0)
        list.EnsureVisible(selected);
    if (&list == &m_listFolder)
        m_coverGrid.Layout(m_fonts[g.listFont], &IconsFor(k));
}

bool CTalvexView::event(QEvent* e)
{
    if (e->type() == WM_PAD_COMMAND) {
        DispatchPadCommand(static_cast<PadEvent*>(e)->Value());
        return true;
    }
    if (e->type() == WM_PAD_SIZE) {
        m_nPadSize = static_cast<PadEvent*>(e)->Value();
        ApplyPadSize();
        return true;
    }
    return QWidget::event(e);
}

void CTalvexView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_bContent) {
        painter.fillRect(rect(), Qt::black);
        if (m_pDocument)
            DrawHeader(painter);
    } else {
        m_pReader->Paint(painter);
    }
}

void CTalvexView::DrawHeader(QPainter& painter)
{
    if (m_bResumeScreen) {
        QString folder;
        const int selected = m_listResume.GetSelectedIndex();
        if (selected >= 0 && selected < m_resumeItems.size())
            folder = Paths::ForDisplay(Paths::FolderPart(m_resumeItems[selected].strPath));
        DrawListHeader(
            painter, m_fonts, SizeIndex(), width(), kResumeLabel, QStringLiteral("Resume"), folder);
    } else {
        const QString folder = m_strCurrentFolder.isEmpty() ? QStringLiteral("<Drive Select>")
                                                            : Paths::ForDisplay(m_strCurrentFolder);
        DrawListHeader(
            painter, m_fonts, SizeIndex(), width(), kFolderLabel, QStringLiteral("Folder"), folder);
    }
}

void CTalvexView::resizeEvent(QResizeEvent*)
{
    OnSize(width(), height());
}

void CTalvexView::OnSize(int cx, int cy)
{
    if (!GetParentFrame())
        return;
    LayoutList(m_listFolder, cx, cy);
    LayoutList(m_listResume, cx, cy);
    CColorListCtrl& list = CurrentList();
    if (list.isVisible())
        list.setFocus();
    LayoutContent();
    PlaceCoverWindow();
    if (OutlineShown())
        LayoutOutline();
    if (GridShown())
        LayoutPageGrid();
}

void CTalvexView::focusInEvent(QFocusEvent*)
{
    OnSetFocus();
}

void CTalvexView::OnSetFocus()
{
    CColorListCtrl& list = CurrentList();
    if (list.isVisible())
        list.setFocus();
}

void CTalvexView::timerEvent(QTimerEvent* e)
{
    if (e->timerId() == m_nTimer)
        OnTimer();
}

void CTalvexView::OnTimer()
{
    if (m_bContent)
        OnContentTimer();
    else if (m_bHideCursor)
        CursorCounter::ShowCursorNow();
    // Clicks may leave the focus on the layers over the content; keys belong to the view.
    const QWidget* focus = QApplication::focusWidget();
    if (focus
        && (focus == &m_dlgCover || focus->window() == &m_dlgControl || focus == &m_wndPdf
            || m_wndPdf.isAncestorOf(focus))) {
        if (m_bContent) {
            m_dlgCover.raise();
            m_dlgCover.show();
        }
        setFocus();
    }
}

bool CTalvexView::focusNextPrevChild(bool)
{
    return false;
}
