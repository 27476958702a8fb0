#include "pdf/InqPasswordDlg.h"

#include "platform/DialogUnits.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// Laid out as the page-count dialog, the other question an opening PDF may ask.
CInqPasswordDlg::CInqPasswordDlg(QWidget* parent)
    : QDialog(parent)
    , m_pEdit(new QLineEdit(this))
    , m_pOk(new QPushButton(QStringLiteral("OK"), this))
    , m_pCancel(new QPushButton(QStringLiteral("キャンセル"), this))
{
    setWindowTitle(QStringLiteral("パスワード"));
    setFont(DialogUnits::FittingFont({ 135, 156 }, parent));
    const DialogUnits du(font());
    // One sentence where that dialog says what failed, one where it asks.
    auto* reason = new QLabel(QStringLiteral("このファイルはパスワードで保護されています。"), this);
    reason->setWordWrap(true);
    reason->setGeometry(du.Rect(8, 8, 118, 18));
    auto* request = new QLabel(QStringLiteral("パスワードを入力してください。"), this);
    request->setWordWrap(true);
    request->setGeometry(du.Rect(8, 28, 118, 14));
    m_pEdit->setEchoMode(QLineEdit::Password);
    m_pEdit->setGeometry(du.Rect(8, 68, 118, 16));
    m_pOk->setGeometry(du.Rect(2, 116, 64, 38));
    m_pCancel->setGeometry(du.Rect(68, 116, 64, 38));
    m_pOk->setDefault(true);
    m_pCancel->setAutoDefault(false);
    connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(du.X(135), du.Y(156));
    m_pEdit->setFocus();
}

QString CInqPasswordDlg::TakePassword()
{
    const QString typed = m_pEdit->text();
    m_pEdit->clear();
    return typed;
}
