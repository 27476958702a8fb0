#include "platform/Profile.h"

#include "platform/Prompt.h"

#include <QDir>

#include <cstdio>

namespace
{
const char kSection[] = "Settings/";
}

bool Profile::s_quiet = false;
bool Profile::s_failing = false;

Profile::Profile()
    : m_settings(QStringLiteral("Oberkan"), QStringLiteral("Lumivo"))
{
}

int Profile::GetProfileInt(const QString& name, int nDefault) const
{
    const QVariant value = m_settings.value(kSection + name);
    if (!value.isValid())
        return nDefault;
    bool ok = false;
    const qlonglong n = value.toString().trimmed().toLongLong(&ok);
    if (!ok)
        return nDefault;
    // A registry DWORD read as a signed int wraps the same way.
    return static_cast<int>(static_cast<quint32>(n));
}

QString Profile::GetProfileString(const QString& name, const QString& strDefault) const
{
    const QVariant value = m_settings.value(kSection + name);
    if (!value.isValid())
        return strDefault;
    // A hand-edited value with unquoted commas comes back as a list; keep its text whole.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void Profile::WriteProfileInt(const QString& name, int nValue)
{
    m_settings.setValue(kSection + name, nValue);
    CheckWritten();
}

void Profile::WriteProfileString(const QString& name, const QString& strValue)
{
    m_settings.setValue(kSection + name, strValue);
    CheckWritten();
}

void Profile::WriteProfileStrings(const QList<QPair<QString, QString>>& values)
{
    for (const auto& [name, value] : values)
        m_settings.setValue(kSection + name, value);
    CheckWritten();
}

void Profile::setQuiet(bool quiet)
{
    s_quiet = quiet;
}

void Profile::CheckWritten()
{
    m_settings.sync();
    const bool failed = m_settings.status() != QSettings::NoError;
    if (failed && !s_failing) {
        const QString file = QDir::toNativeSeparators(fileName());
        if (s_quiet)
            std::fprintf(stderr, "lumivo: cannot write %s\n", qPrintable(file));
        else
            Prompt::MessageBox(
                nullptr, QStringLiteral("設定を保存できません。\n%1").arg(file), Prompt::ErrorIcon);
    }
    s_failing = failed;
}
