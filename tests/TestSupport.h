#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

// Every test process gets its own settings and temp folders, set before anything
// reads them.
class TestEnvironment
{
public:
    TestEnvironment()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_root.filePath("config")));
        QDir().mkpath(m_root.filePath("tmp"));
        qputenv("TMPDIR", QFile::encodeName(m_root.filePath("tmp")));
    }
    QString path(const QString& name) const { return m_root.filePath(name); }

private:
    QTemporaryDir m_root;
};

inline QSettings& StoredSettings()
{
    static QSettings settings(QStringLiteral("Oberkan"), QStringLiteral("Lumivo"));
    settings.sync();
    return settings;
}

inline void ClearStoredSettings()
{
    StoredSettings().clear();
    StoredSettings().sync();
}

inline void WriteFile(const QString& path, qint64 size = 0)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (size > 0)
        QVERIFY(file.resize(size));
}

// A PDF of numbered pages; sizes in points, one per page, repeating the last.
inline void WritePdf(const QString& path, int pages, const QList<QSizeF>& sizes = { { 595, 842 } })
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QPdfWriter writer(path);
    writer.setResolution(72);
    auto sizeOf = [&sizes](int i) { return sizes.value(i, sizes.last()); };
    writer.setPageSize(QPageSize(sizeOf(0), QPageSize::Point));
    writer.setPageMargins(QMarginsF());
    QPainter painter(&writer);
    for (int i = 0; i < pages; ++i) {
        if (i > 0) {
            writer.setPageSize(QPageSize(sizeOf(i), QPageSize::Point));
            writer.newPage();
        }
        painter.setFont(QFont("sans", 48));
        painter.drawText(QRectF(0, 0, sizeOf(i).width(), sizeOf(i).height()), Qt::AlignCenter,
            QString::number(i + 1));
    }
}

#define LUMIVO_TEST_MAIN(TestClass)                                                                \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        TestEnvironment environment;                                                               \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        test.env = &environment;                                                                   \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
