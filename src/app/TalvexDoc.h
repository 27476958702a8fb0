#pragma once

#include <QObject>
#include <QString>

// The document: the title shown before " - Lumivo" and the path of a file named at
// start. Books themselves belong to the view.
class CTalvexDoc : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    QString GetTitle() const { return m_strTitle; }
    void SetTitle(const QString& title);
    QString GetPathName() const { return m_strPathName; }
    // Records the path of an existing, readable file; false otherwise.
    bool OnOpenDocument(const QString& path);

signals:
    void titleChanged();

private:
    QString m_strTitle;
    QString m_strPathName;
};
