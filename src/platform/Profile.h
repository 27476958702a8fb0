#pragma once

#include <QSettings>
#include <QString>

// The per-user settings profile: section "Settings" of Oberkan/Lumivo.
// Every value is on disk as soon as it is written, so nothing the reader
// saved is lost if the program ends abruptly.
class Profile
{
public:
    Profile();

    int GetProfileInt(const QString& name, int nDefault) const;
    QString GetProfileString(const QString& name, const QString& strDefault = QString()) const;
    void WriteProfileInt(const QString& name, int nValue);
    void WriteProfileString(const QString& name, const QString& strValue);
    void WriteProfileStrings(const QList<QPair<QString, QString>>& values);

    QString fileName() const { return m_settings.fileName(); }

private:
    mutable QSettings m_settings;
};
