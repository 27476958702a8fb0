#include "app/SettingDlg.h"

#include "pad/PadEvent.h"
#include "platform/DialogUnits.h"
#include "platform/NumberField.h"
#include "platform/SpinButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>

namespace
{
const char* const kSizes[] = { "最小", "小さめ", "中", "大きめ", "最大" };
const char* const kLayouts[] = { "単一ページ", "表紙あり見開き", "表紙なし見開き" };
const char* const kBindings[] = { "右綴じ", "左綴じ" };
// In the order of the list; the stored values are those of IndicatorRules::Shown.
const char* const kPlateShown[] = { "一時表示", "常に表示", "表示しない" };
constexpr int kPlateStored[] = { 1, 2, 0 };
const char* const kPicTypes[] = { "BMP", "JPEG", "PNG", "GIF", "TIFF", "WebP", "AVIF", "JPEG XL" };

int LayoutIndex(int code)
{
    return code == 1 ? 0 : (code == 3 ? 2 : 1);
}

int LayoutCode(int index)
{
    return index == 0 ? 1 : (index == 2 ? 3 : 2);
}
} // namespace

CSettingDlg::CSettingDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("設定"));
    setFont(DialogUnits::FittingFont({ 504, 236 }, parent));
    // The boxes to tick grow with the type, as the style draws them at one size.
    setStyleSheet(QStringLiteral("QCheckBox::indicator { width: %1px; height: %1px; }")
                      .arg(font().pixelSize() * 3 / 4));
    const DialogUnits du(font());
    const auto label = [&](const QString& text, const QRect& at) {
        auto* l = new QLabel(text, this);
        l->setGeometry(at);
        return l;
    };
    const auto combo = [&](const char* const* items, int count, const QRect& at) {
        auto* box = new QComboBox(this);
        for (int i = 0; i < count; ++i)
            box->addItem(QString::fromUtf8(items[i]));
        box->setGeometry(at);
        return box;
    };
    const auto numberEdit = [&](const QRect& at, SpinButton*& spin) {
        auto* edit = new QLineEdit(this);
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        edit->setAlignment(Qt::AlignRight);
        edit->setGeometry(at);
        spin = new SpinButton(edit, this);
        spin->setGeometry(at.right() + 1, at.top(), du.X(12), at.height());
        return edit;
    };
    const auto check = [&](const QString& text, const QRect& at) {
        auto* box = new QCheckBox(text, this);
        box->setGeometry(at);
        return box;
    };

    // Left column.
    label(QStringLiteral("ノーマル画面のフォントサイズ"), du.Rect(8, 6, 152, 11));
    m_cbFontNormal = combo(kSizes, 5, du.Rect(8, 18, 90, 14));
    label(QStringLiteral("フルスクリーンのフォントサイズ"), du.Rect(8, 38, 152, 11));
    m_cbFontFull = combo(kSizes, 5, du.Rect(8, 50, 90, 14));
    label(QStringLiteral("リモコンパッドのサイズ"), du.Rect(8, 70, 152, 11));
    label(QStringLiteral("小"), du.Rect(8, 84, 12, 11));
    m_sliderPad = new QSlider(Qt::Horizontal, this);
    m_sliderPad->setGeometry(du.Rect(22, 82, 118, 16));
    m_sliderPad->setTickPosition(QSlider::TicksAbove);
    label(QStringLiteral("大"), du.Rect(144, 84, 12, 11));
    label(QStringLiteral("スキップ送りのページ数"), du.Rect(8, 104, 152, 11));
    m_editSkipForward = numberEdit(du.Rect(8, 116, 40, 14), m_spinSkipForward);
    label(QStringLiteral("スキップ戻りのページ数"), du.Rect(8, 136, 152, 11));
    m_editSkipBack = numberEdit(du.Rect(8, 148, 40, 14), m_spinSkipBack);
    m_checkHideCursor
        = check(QStringLiteral("コンテンツ表示中はマウスカーソルを消す"), du.Rect(8, 170, 152, 12));
    label(QStringLiteral("（マウスを動かせば表示されます）"), du.Rect(20, 183, 140, 11));
    label(QStringLiteral("ページ番号の表示"), du.Rect(8, 200, 70, 11));
    m_cbPageIndicator = combo(kPlateShown, 3, du.Rect(80, 198, 76, 14));
    m_checkLastPlace = check(QStringLiteral("前回の続きから開く"), du.Rect(8, 216, 152, 12));

    // Right column.
    // The group frames go first, so that what they hold lies above them.
    auto* pdf = new QGroupBox(QStringLiteral("PDF の表示"), this);
    pdf->setGeometry(du.Rect(168, 4, 170, 38));
    auto* images = new QGroupBox(QStringLiteral("画像の表示"), this);
    images->setGeometry(du.Rect(168, 46, 170, 138));
    label(QStringLiteral("初期レイアウト"), du.Rect(176, 22, 76, 11));
    m_cbLayoutPdf = combo(kLayouts, 3, du.Rect(256, 20, 76, 14));
    for (int i = 0; i < 5; ++i) {
        const QRect at = du.Rect(176 + (i % 3) * 52, 60 + (i / 3) * 14, 50, 12);
        m_checkPicExt[i] = check(QString::fromLatin1(kPicTypes[i]), at);
    }
    label(QStringLiteral("初期レイアウト"), du.Rect(176, 92, 78, 11));
    m_cbLayoutImage = combo(kLayouts, 3, du.Rect(256, 90, 76, 14));
    label(QStringLiteral("見開き表示の初期状態"), du.Rect(176, 110, 80, 11));
    m_cbBind = combo(kBindings, 2, du.Rect(256, 108, 76, 14));
    label(QStringLiteral("見開き表示の隙間"), du.Rect(176, 128, 78, 11));
    m_editSpace = numberEdit(du.Rect(256, 126, 30, 14), m_spinSpace);
    m_checkPicEnlarge
        = check(QStringLiteral("小さい画像も画面にフィット"), du.Rect(176, 148, 160, 12));
    m_checkFolderOnResume
        = check(QStringLiteral("レジューム画面ではフォルダー名で表示"), du.Rect(176, 166, 160, 12));
    // Below both groups: how books no entry speaks for open, fitted to the width or not.
    label(QStringLiteral("幅に合わせて開く"), du.Rect(176, 192, 76, 11));
    m_checkFitWidthPdf = check(QStringLiteral("PDF"), du.Rect(256, 190, 34, 12));
    m_checkFitWidthImages = check(QStringLiteral("画像"), du.Rect(292, 190, 44, 12));
    label(QStringLiteral("Folder画面"), du.Rect(176, 208, 76, 11));
    m_checkFolderCovers = check(QStringLiteral("表紙を表示"), du.Rect(256, 206, 80, 12));

    // Comic and scan books: each option a check box with its note under it, one below
    // the other, so that options still to come take the rows below.
    auto* comics = new QGroupBox(QStringLiteral("コミック・スキャン本"), this);
    comics->setGeometry(du.Rect(346, 4, 150, 180));
    int row = 18;
    const auto option = [&](const QString& text, const QString& note) {
        QCheckBox* box = check(text, du.Rect(354, row, 138, 12));
        label(note, du.Rect(366, row + 13, 126, 11));
        row += 32;
        return box;
    };
    m_checkNaturalSort = option(QStringLiteral("ファイル名の数字を数値順に並べる"),
        QStringLiteral("（2.jpg を 10.jpg より前に）"));
    m_checkWidePageAlone = option(QStringLiteral("横長のページは見開きでも単独で表示"),
        QStringLiteral("（見開きでスキャンしたページ）"));
    m_checkArchives = option(QStringLiteral("書庫ファイルも本として一覧に表示"),
        QStringLiteral("（ZIP・CBZ・RAR・CBR・7z・TAR）"));
    // The newer picture types side by side, as the older ones are in the group beside.
    label(QStringLiteral("開く画像の種類"), du.Rect(354, row, 138, 11));
    for (int i = 5; i < kPicTypeCount; ++i) {
        const QRect at = du.Rect(354 + (i - 5) * 46, row + 13, 44, 12);
        m_checkPicExt[i] = check(QString::fromLatin1(kPicTypes[i]), at);
    }
    row += 32;
    m_checkCropBorders
        = check(QStringLiteral("フォルダーから開く本は余白カット"), du.Rect(354, row, 138, 12));
    label(QStringLiteral("余白カット後の余白"), du.Rect(354, row + 17, 80, 11));
    m_editCropMargin = numberEdit(du.Rect(436, row + 15, 26, 14), m_spinCropMargin);
    label(QStringLiteral("%"), du.Rect(476, row + 17, 12, 11));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    ok->setGeometry(du.Rect(362, 214, 64, 16));
    cancel->setGeometry(du.Rect(432, 214, 64, 16));
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &CSettingDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // The pad follows the slider at once, so the reader sees the size being chosen.
    connect(m_sliderPad, &QSlider::valueChanged, this, [this](int value) {
        m_nPadSize = value;
        if (m_pView)
            QCoreApplication::postEvent(m_pView, new PadEvent(WM_PAD_SIZE, value));
    });
    setFixedSize(du.X(504), du.Y(236));
}

void CSettingDlg::OnInitDialog()
{
    m_cbFontNormal->setCurrentIndex(m_nFontNormal);
    m_cbFontFull->setCurrentIndex(m_nFontFull);
    {
        const QSignalBlocker quiet(m_sliderPad);
        m_sliderPad->setRange(20, 100);
        m_sliderPad->setTickInterval(10);
        m_sliderPad->setPageStep(10);
        m_sliderPad->setValue(m_nPadSize);
    }
    m_spinSkipForward->SetRange(1, 100);
    m_spinSkipBack->SetRange(1, 100);
    m_cbLayoutPdf->setCurrentIndex(LayoutIndex(m_nLayoutPdf));
    m_cbLayoutImage->setCurrentIndex(LayoutIndex(m_nLayoutImage));
    m_cbBind->setCurrentIndex(m_nBind == 1 ? 1 : 0);
    m_spinSpace->SetRange(0, 30);
    m_spinCropMargin->SetRange(0, 10);
    m_editSkipForward->setText(QString::number(m_nSkipForward));
    m_editSkipBack->setText(QString::number(m_nSkipBack));
    m_checkHideCursor->setChecked(m_bHideCursor);
    for (int i = 0; i < kPicTypeCount; ++i)
        m_checkPicExt[i]->setChecked(m_bPicExt[i]);
    m_checkPicEnlarge->setChecked(m_bPicEnlarge);
    m_editSpace->setText(QString::number(m_nSpace));
    m_checkFolderOnResume->setChecked(m_bFolderOnResume);
    for (int i = 0; i < 3; ++i) {
        if (kPlateStored[i] == m_nPageIndicator)
            m_cbPageIndicator->setCurrentIndex(i);
    }
    m_checkNaturalSort->setChecked(m_bNaturalSort);
    m_checkWidePageAlone->setChecked(m_bWidePageAlone);
    m_checkArchives->setChecked(m_bArchives);
    m_checkLastPlace->setChecked(m_bLastPlace);
    m_checkCropBorders->setChecked(m_bCropBorders);
    m_checkFitWidthPdf->setChecked(m_bFitWidthPdf);
    m_checkFitWidthImages->setChecked(m_bFitWidthImages);
    m_checkFolderCovers->setChecked(m_bFolderCovers);
    m_editCropMargin->setText(QString::number(m_nCropMargin));
}

void CSettingDlg::accept()
{
    int skipForward = 0;
    int skipBack = 0;
    int space = 0;
    int cropMargin = 0;
    if (!ReadNumberField(m_editSkipForward, 1, 100, skipForward)
        || !ReadNumberField(m_editSkipBack, 1, 100, skipBack)
        || !ReadNumberField(m_editSpace, 0, 30, space)
        || !ReadNumberField(m_editCropMargin, 0, 10, cropMargin))
        return;
    m_nCropMargin = cropMargin;
    m_bCropBorders = m_checkCropBorders->isChecked();
    m_bFitWidthPdf = m_checkFitWidthPdf->isChecked();
    m_bFitWidthImages = m_checkFitWidthImages->isChecked();
    m_bFolderCovers = m_checkFolderCovers->isChecked();
    m_nSkipForward = skipForward;
    m_nSkipBack = skipBack;
    m_nSpace = space;
    m_bHideCursor = m_checkHideCursor->isChecked();
    for (int i = 0; i < kPicTypeCount; ++i)
        m_bPicExt[i] = m_checkPicExt[i]->isChecked();
    m_bPicEnlarge = m_checkPicEnlarge->isChecked();
    m_bFolderOnResume = m_checkFolderOnResume->isChecked();
    if (m_cbPageIndicator->currentIndex() >= 0)
        m_nPageIndicator = kPlateStored[m_cbPageIndicator->currentIndex()];
    m_bNaturalSort = m_checkNaturalSort->isChecked();
    m_bWidePageAlone = m_checkWidePageAlone->isChecked();
    m_bArchives = m_checkArchives->isChecked();
    m_bLastPlace = m_checkLastPlace->isChecked();
    if (m_cbFontNormal->currentIndex() >= 0)
        m_nFontNormal = m_cbFontNormal->currentIndex();
    if (m_cbFontFull->currentIndex() >= 0)
        m_nFontFull = m_cbFontFull->currentIndex();
    m_nLayoutPdf = LayoutCode(m_cbLayoutPdf->currentIndex());
    m_nLayoutImage = LayoutCode(m_cbLayoutImage->currentIndex());
    m_nBind = m_cbBind->currentIndex() == 1 ? 1 : 0;
    QDialog::accept();
}
