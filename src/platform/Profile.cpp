#include "platform/Profile.h"

namespace
{
const char kSection[] = "Settings/";
}

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
    m_settings.sync();
}

void Profile::WriteProfileString(const QString& name, const QString& strValue)
{
    m_settings.setValue(kSection + name, strValue);
    m_settings.sync();
}

void Profile::WriteProfileStrings(const QList<QPair<QString, QString>>& values)
{
    for (const auto& [name, value] : values)
        m_settings.setValue(kSection + name, value);
    m_settings.sync();
}
