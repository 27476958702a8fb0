#include "app/SettingDlg.h"
#include "app/SettingsStore.h"
#include "pad/PadEvent.h"
#include "platform/Profile.h"
#include "platform/Prompt.h"
#include "view/TalvexView.h"

#include <QCoreApplication>

void CTalvexView::OnSettings()
{
    CSettingDlg dlg(this);
    dlg.m_pView = this;
    dlg.m_nFontNormal = m_nFontSizeNormal;
    dlg.m_nFontFull = m_nFontSizeFull;
    dlg.m_nPadSize = m_nPadSize;
    dlg.m_nSkipForward = m_nSkipForward;
    dlg.m_nSkipBack = m_nSkipBack;
    dlg.m_nLayoutPdf = m_nLayoutPdf;
    dlg.m_nLayoutImage = m_nLayoutImage;
    dlg.m_nBind = m_nBind;
    dlg.m_bPicEnlarge = m_bPicEnlarge;
    dlg.m_nSpace = m_nSpace;
    dlg.m_bHideCursor = m_bHideCursor;
    dlg.m_bFolderOnResume = m_bFolderOnResume;
    dlg.m_nPageIndicator = m_nPageIndicator;
    dlg.m_bNaturalSort = m_bNaturalSort;
    dlg.m_bWidePageAlone = m_bWidePageAlone;
    dlg.m_bArchives = m_bArchives;
    dlg.m_bLastPlace = m_bLastPlace;
    dlg.m_bCropBorders = m_bCropBorders;
    dlg.m_bFitWidthPdf = m_bFitWidthPdf;
    dlg.m_bFitWidthImages = m_bFitWidthImages;
    dlg.m_bFolderCovers = m_bFolderCovers;
    dlg.m_nCropMargin = m_nCropMargin;
    for (int i = 0; i < CSettingDlg::kPicTypeCount; ++i)
        dlg.m_bPicExt[i] = (m_nPicExt >> i) & 1;
    dlg.OnInitDialog();
    const int padSize = m_nPadSize;
    const int result = Prompt::RunModal(dlg);
    // Slider moves still queued when the dialog ended must not undo what follows.
    QCoreApplication::removePostedEvents(this, WM_PAD_SIZE);
    if (result == QDialog::Accepted) {
        m_nFontSizeNormal = dlg.m_nFontNormal;
        m_nFontSizeFull = dlg.m_nFontFull;
        m_nPadSize = dlg.m_nPadSize;
        m_nSkipForward = dlg.m_nSkipForward;
        m_nSkipBack = dlg.m_nSkipBack;
        m_nLayoutPdf = dlg.m_nLayoutPdf;
        m_nLayoutImage = dlg.m_nLayoutImage;
        m_nBind = dlg.m_nBind;
        m_bPicEnlarge = dlg.m_bPicEnlarge;
        m_nSpace = dlg.m_nSpace;
        m_bHideCursor = dlg.m_bHideCursor;
        m_bFolderOnResume = dlg.m_bFolderOnResume;
        m_nPageIndicator = dlg.m_nPageIndicator;
        m_pageIndicator.SetSteady(m_nPageIndicator == IndicatorRules::SHOWN_ALWAYS);
        m_bNaturalSort = dlg.m_bNaturalSort;
        m_bWidePageAlone = dlg.m_bWidePageAlone;
        m_bArchives = dlg.m_bArchives;
        m_bLastPlace = dlg.m_bLastPlace;
        m_bCropBorders = dlg.m_bCropBorders;
        m_bFitWidthPdf = dlg.m_bFitWidthPdf;
        m_bFitWidthImages = dlg.m_bFitWidthImages;
        m_bFolderCovers = dlg.m_bFolderCovers;
        m_coverGrid.SetOn(m_bFolderCovers);
        m_nCropMargin = dlg.m_nCropMargin;
        m_nPicExt = 0;
        for (int i = 0; i < CSettingDlg::kPicTypeCount; ++i)
            m_nPicExt |= dlg.m_bPicExt[i] ? 1 << i : 0;
        FilterResumeByPicExt();
        Profile profile;
        SettingsStore::SaveFontSize(profile, { m_nFontSizeNormal, m_nFontSizeFull, m_nPadSize });
        SettingsStore::SaveViewSettings(profile,
            { m_nSkipForward, m_nSkipBack, m_nLayoutPdf, m_nLayoutImage, m_nBind, m_bPicEnlarge,
                m_nPicExt, m_nSpace, m_bHideCursor, m_bFolderOnResume, m_nPageIndicator,
                m_bNaturalSort, m_bWidePageAlone, m_bArchives, m_bLastPlace, m_bCropBorders,
                m_nCropMargin, m_bNightMode, m_bFitWidthPdf, m_bFitWidthImages, m_bFolderCovers });
        LayoutList(m_listFolder, width(), height());
        LayoutList(m_listResume, width(), height());
        m_book = BookRecord();
        ShowListScreen();
    } else {
        // The slider may have resized the pad to show what it would look like.
        m_nPadSize = padSize;
    }
    ApplyPadSize();
}
