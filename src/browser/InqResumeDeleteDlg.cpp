#include "browser/InqResumeDeleteDlg.h"

#include "platform/UiFont.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace
{
// The dialog is laid out in dialog units of its own bold font, so the large buttons
// keep their proportions whatever the type size.
constexpr int kWidthDu = 134;
constexpr int kHeightDu = 77;
constexpr int kButtonWidthDu = 64;
constexpr int kButtonHeightDu = 38;
constexpr int kPixelSize = 20;
} // namespace

CInqResumeDeleteDlg::CInqResumeDeleteDlg(QWidget* parent)
    : QDialog(parent)
    , m_pYes(new QPushButton(QStringLiteral("はい(&Y)"), this))
    , m_pNo(new QPushButton(QStringLiteral("いいえ(&N)"), this))
{
    setWindowTitle(QStringLiteral("Resume Delete"));
    QFont dialogFont;
    dialogFont.setFamilies(UiFontFamilies());
    dialogFont.setPixelSize(kPixelSize);
    dialogFont.setBold(true);
    setFont(dialogFont);

    const QFontMetrics metrics(dialogFont);
    // The horizontal unit is the mean width of the Latin letters, as dialog units are.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    const int baseY = metrics.height();
    auto dx = [baseX](int du) { return du * baseX / 4; };
    auto dy = [baseY](int du) { return du * baseY / 8; };

    auto* text = new QLabel(QStringLiteral("Resume登録を削除しますか？"), this);
    text->setAlignment(Qt::AlignCenter);
    text->setGeometry(dx(4), dy(6), dx(kWidthDu - 8), dy(22));
    m_pYes->setGeometry(dx(2), dy(34), dx(kButtonWidthDu), dy(kButtonHeightDu));
    m_pNo->setGeometry(dx(68), dy(34), dx(kButtonWidthDu), dy(kButtonHeightDu));
    m_pYes->setDefault(true);
    m_pYes->setAutoDefault(true);
    m_pNo->setAutoDefault(false);
    connect(m_pYes, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pNo, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(dx(kWidthDu), dy(kHeightDu));
    m_pYes->setFocus();
}
