#include "browser/InqResumeDeleteDlg.h"

#include "platform/DialogUnits.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

CInqResumeDeleteDlg::CInqResumeDeleteDlg(QWidget* parent)
    : QDialog(parent)
    , m_pYes(new QPushButton(QStringLiteral("はい(&Y)"), this))
    , m_pNo(new QPushButton(QStringLiteral("いいえ(&N)"), this))
{
    setWindowTitle(QStringLiteral("Resume Delete"));
    setFont(DialogUnits::FittingFont({ 134, 77 }, parent));
    // Laid out in dialog units, so the large buttons keep their proportions.
    const DialogUnits du(font());
    auto* text = new QLabel(QStringLiteral("Resume登録を削除しますか？"), this);
    text->setAlignment(Qt::AlignCenter);
    text->setGeometry(du.Rect(4, 6, 126, 22));
    m_pYes->setGeometry(du.Rect(2, 34, 64, 38));
    m_pNo->setGeometry(du.Rect(68, 34, 64, 38));
    m_pYes->setDefault(true);
    m_pNo->setAutoDefault(false);
    connect(m_pYes, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pNo, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(du.X(134), du.Y(77));
    m_pYes->setFocus();
}

void CInqResumeDeleteDlg::keyPressEvent(QKeyEvent* e)
{
    if (e->modifiers() == Qt::NoModifier && e->key() == Qt::Key_Y)
        m_pYes->click();
    else if (e->modifiers() == Qt::NoModifier && e->key() == Qt::Key_N)
        m_pNo->click();
    else
        QDialog::keyPressEvent(e);
}
