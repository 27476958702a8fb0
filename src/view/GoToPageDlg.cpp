#include "view/GoToPageDlg.h"

#include "platform/DialogUnits.h"
#include "platform/NumberField.h"
#include "platform/SpinButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

CGoToPageDlg::CGoToPageDlg(QWidget* parent)
    : QDialog(parent)
    , m_pRange(new QLabel(this))
    , m_pEdit(new QLineEdit(this))
    , m_pOk(new QPushButton(QStringLiteral("OK"), this))
    , m_pCancel(new QPushButton(QStringLiteral("キャンセル"), this))
{
    setWindowTitle(QStringLiteral("ページ指定"));
    setFont(DialogUnits::FittingFont({ 135, 156 }, parent));
    // The page-count dialog's layout, so that both number dialogs look alike.
    const DialogUnits du(font());
    auto* request = new QLabel(QStringLiteral("表示するページを指定してください。"), this);
    request->setWordWrap(true);
    request->setGeometry(du.Rect(8, 8, 118, 18));
    m_pRange->setGeometry(du.Rect(8, 28, 118, 14));

    m_pEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pEdit));
    m_pEdit->setAlignment(Qt::AlignRight);
    m_pEdit->setGeometry(du.Rect(32, 68, 34, 16));
    m_spinPage = new SpinButton(m_pEdit, this);
    m_pOk->setGeometry(du.Rect(2, 116, 64, 38));
    m_pCancel->setGeometry(du.Rect(68, 116, 64, 38));
    const QRect spin = du.Rect(68, 42, 30, 68);
    m_spinPage->setGeometry(spin.x(), spin.y(), m_pCancel->width() * 3 / 4, spin.height());
    m_pOk->setDefault(true);
    m_pCancel->setAutoDefault(false);
    connect(m_pOk, &QPushButton::clicked, this, &CGoToPageDlg::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(du.X(135), du.Y(156));
    OnInitDialog();
}

void CGoToPageDlg::OnInitDialog()
{
    m_pRange->setText(QStringLiteral("（全 %1 ページ）").arg(m_nPageCount));
    m_spinPage->SetRange(1, m_nPageCount);
    m_pEdit->setText(QString::number(m_nPage));
    m_pEdit->selectAll();
    m_pEdit->setFocus();
}

void CGoToPageDlg::accept()
{
    if (ReadNumberField(m_pEdit, 1, m_nPageCount, m_nPage))
        QDialog::accept();
}
