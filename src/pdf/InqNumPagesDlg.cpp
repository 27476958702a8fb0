#include "pdf/InqNumPagesDlg.h"

#include "platform/DialogUnits.h"
#include "platform/NumberField.h"
#include "platform/SpinButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

CInqNumPagesDlg::CInqNumPagesDlg(QWidget* parent)
    : QDialog(parent)
    , m_pEdit(new QLineEdit(this))
    , m_pOk(new QPushButton(QStringLiteral("OK"), this))
    , m_pCancel(new QPushButton(QStringLiteral("キャンセル"), this))
{
    setWindowTitle(QStringLiteral("ページ数"));
    setFont(DialogUnits::FittingFont({ 135, 156 }, parent));
    const DialogUnits du(font());
    auto* reason = new QLabel(QStringLiteral("ページ数の取得に失敗したか、不正確です。"), this);
    reason->setWordWrap(true);
    reason->setGeometry(du.Rect(8, 8, 118, 18));
    auto* request = new QLabel(QStringLiteral("正しいページ数を指定してください。"), this);
    request->setWordWrap(true);
    request->setGeometry(du.Rect(8, 28, 118, 14));

    m_pEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pEdit));
    m_pEdit->setAlignment(Qt::AlignRight);
    m_pEdit->setGeometry(du.Rect(32, 68, 34, 16));
    m_spinPages = new SpinButton(m_pEdit, this);
    m_spinPages->SetRange(kMinPages, kMaxPages);
    m_pOk->setGeometry(du.Rect(2, 116, 64, 38));
    m_pCancel->setGeometry(du.Rect(68, 116, 64, 38));
    // The spin button keeps its place and height and takes three quarters of the
    // width of the Cancel button.
    const QRect spin = du.Rect(68, 42, 30, 68);
    m_spinPages->setGeometry(spin.x(), spin.y(), m_pCancel->width() * 3 / 4, spin.height());
    m_pOk->setDefault(true);
    m_pCancel->setAutoDefault(false);
    connect(m_pOk, &QPushButton::clicked, this, &CInqNumPagesDlg::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(du.X(135), du.Y(156));
    OnInitDialog();
}

void CInqNumPagesDlg::OnInitDialog()
{
    m_pEdit->setText(QString::number(m_nPages));
    m_pEdit->selectAll();
    m_pEdit->setFocus();
}

void CInqNumPagesDlg::accept()
{
    if (ReadNumberField(m_pEdit, kMinPages, kMaxPages, m_nPages))
        QDialog::accept();
}
