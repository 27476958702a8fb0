#pragma once

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;
class SpinButton;

// "設定": list font sizes, the remote pad's size (shown live on the pad while the
// slider moves), skips, the cursor, the page indicator, how PDF and image books open,
// the order, pairing and image types of comic and scan pages, the cut of borders, and the fit
// to the width. OK accepts
// only whole numbers in range in the number fields; anything else is refused with a message and the
// dialog stays open with the focus in that field.
class CSettingDlg : public QDialog
{
    Q_OBJECT
public:
    // The image types, one a bit of the PicExt mask: BMP, JPEG, PNG, GIF and TIFF in the
    // image group, WebP, AVIF and JPEG XL among the comic and scan options.
    static constexpr int kPicTypeCount = 8;

    explicit CSettingDlg(QWidget* parent = nullptr);

    // Puts the fields into the controls.
    void OnInitDialog();
    void accept() override;

    // Receives WM_PAD_SIZE while the slider moves.
    QPointer<QObject> m_pView;
    int m_nFontNormal = 2;
    int m_nFontFull = 4;
    int m_nPadSize = 20;
    int m_nLayoutPdf = 2;
    int m_nLayoutImage = 2;
    int m_nBind = 0;
    QComboBox* m_cbFontNormal;
    QComboBox* m_cbFontFull;
    QSlider* m_sliderPad;
    int m_nSkipForward = 10;
    int m_nSkipBack = 10;
    SpinButton* m_spinSkipForward;
    SpinButton* m_spinSkipBack;
    QComboBox* m_cbLayoutPdf;
    bool m_bHideCursor = false;
    bool m_bPicExt[kPicTypeCount] = {};
    QComboBox* m_cbBind;
    bool m_bPicEnlarge = false;
    int m_nSpace = 0;
    SpinButton* m_spinSpace;
    QComboBox* m_cbLayoutImage;
    bool m_bFolderOnResume = false;
    // IndicatorRules::Shown.
    int m_nPageIndicator = 1;
    bool m_bNaturalSort = true;
    bool m_bArchives = true;
    bool m_bWidePageAlone = false;
    bool m_bLastPlace = true;
    bool m_bCropBorders = false;
    int m_nCropMargin = 1;
    bool m_bFitWidthPdf = false;
    bool m_bFitWidthImages = false;
    bool m_bFolderCovers = false;

    QLineEdit* m_editSkipForward;
    QLineEdit* m_editSkipBack;
    QLineEdit* m_editSpace;
    QCheckBox* m_checkHideCursor;
    QCheckBox* m_checkPicExt[kPicTypeCount];
    QCheckBox* m_checkPicEnlarge;
    QCheckBox* m_checkFolderOnResume;
    QComboBox* m_cbPageIndicator;
    QCheckBox* m_checkNaturalSort;
    QCheckBox* m_checkArchives = nullptr;
    QCheckBox* m_checkWidePageAlone;
    QCheckBox* m_checkLastPlace;
    QCheckBox* m_checkCropBorders;
    QCheckBox* m_checkFitWidthPdf;
    QCheckBox* m_checkFitWidthImages;
    QCheckBox* m_checkFolderCovers;
    QLineEdit* m_editCropMargin;
    SpinButton* m_spinCropMargin;
};
