#include "app/AboutDlg.h"

#include "Version.h"
#include "platform/DialogUnits.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
    , m_pVersion(new QLabel(this))
{
    setWindowTitle(QStringLiteral("バージョン情報"));

    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/lumivo.png")).pixmap(64, 64));
    auto* name = new QLabel(QStringLiteral("Lumivo  Ver."), this);
    auto* notice = new QLabel(
        QStringLiteral("Copyright (C) Oberkan. 本を全画面で読むためのビューアーです。"), this);
    m_pVersion->setObjectName(QStringLiteral("version"));
    m_pVersion->setText(VersionText(g_dwFileVersionMS, g_dwFileVersionLS));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    auto* line = new QHBoxLayout;
    line->setSpacing(0);
    line->addWidget(name);
    line->addWidget(m_pVersion);
    line->addStretch();
    layout->addLayout(line, 0, 1);
    layout->addWidget(notice, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogUnits::FitFont(*this);
}

QString CAboutDlg::VersionText(unsigned versionMS, unsigned versionLS)
{
    return QString::asprintf(
        " %u.%u.%u.%u", versionMS >> 16, versionMS & 0xFFFF, versionLS >> 16, versionLS & 0xFFFF);
}

QString CAboutDlg::versionShown() const
{
    return m_pVersion->text();
}
