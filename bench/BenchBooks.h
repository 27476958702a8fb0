#pragma once

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QList>
#include <QPainter>
#include <QRandomGenerator>

// The image books the benchmarks read, written on their first run.

struct Book {
    QString name;
    QString dir;
    QString suffix;
    int pages;
    QSize size;
};

inline QList<Book> ImageBooks(const QString& work)
{
    return {
        { "scans 2000x3000 jpeg", work + "/scans", "jpg", 40, { 2000, 3000 } },
        { "photos 6000x4000 jpeg", work + "/photos", "jpg", 20, { 6000, 4000 } },
        { "scans 2000x3000 png", work + "/pngs", "png", 40, { 2000, 3000 } },
    };
}

inline QString PagePath(const Book& book, int page)
{
    return QString("%1/%2.%3").arg(book.dir).arg(page, 3, 10, QChar('0')).arg(book.suffix);
}

// A page that compresses like photographs and scans do: gradients under many shapes.
inline QImage BookPage(const QSize& size, int page, QRandomGenerator& random)
{
    const int w = size.width();
    const int h = size.height();
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient gradient(0, 0, w, h);
    gradient.setColorAt(0, QColor::fromHsv(page * 23 % 360, 90, 240));
    gradient.setColorAt(1, QColor::fromHsv((page * 23 + 150) % 360, 170, 80));
    p.fillRect(image.rect(), gradient);
    p.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < 1500; ++k) {
        p.setPen(QPen(QColor::fromRgb(random.generate()), 1 + random.bounded(4)));
        const int r = 1 + random.bounded(w / 12);
        p.drawEllipse(QPoint(random.bounded(w), random.bounded(h)), r, r);
    }
    p.setPen(Qt::black);
    p.setFont(QFont("sans", h / 12));
    p.drawText(image.rect(), Qt::AlignCenter, QString::number(page));
    p.end();
    return image;
}

inline void WriteBook(const Book& book)
{
    QDir().mkpath(book.dir);
    QRandomGenerator random(11);
    for (int i = 1; i <= book.pages; ++i) {
        const QString path = PagePath(book, i);
        if (!QFile::exists(path))
            BookPage(book.size, i, random).save(path, nullptr, 90);
    }
}
