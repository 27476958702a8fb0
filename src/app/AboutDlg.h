#pragma once

#include <QDialog>

class QLabel;

// "バージョン情報": the program's name and its four-part version.
class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    static QString VersionText(unsigned versionMS, unsigned versionLS);
    QString versionShown() const;

private:
    QLabel* m_pVersion;
};
