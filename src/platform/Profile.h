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

    // A write that does not reach the disk is told to the reader in a message naming
    // the file, once until writing works again. While the session ends nobody could
    // answer a message, and it goes to the error output instead.
    static void setQuiet(bool quiet);

private:
    void CheckWritten();

    static bool s_quiet;
    static bool s_failing;
    mutable QSettings m_settings;
};
