#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QRectF>

#include <memory>

class BackgroundTask;

// The parts of pages left by the cut of their borders, scaled to the device size of their
// places on a thread of their own, so that painting a cut page is a copy as painting an
// uncut one is. Only the pieces last wanted are kept.
class CutPages : public QObject
{
    Q_OBJECT
public:
    // part of source (in fractions of it), to be shown at device pixels.
    struct Piece {
        QImage source;
        QRectF part;
        QSize device;
    };

    using QObject::QObject;
    ~CutPages() override;

    // The piece once made; a null image until then.
    QImage Finished(const QImage& source, const QRectF& part, const QSize& device) const;
    // Makes these pieces, in this order, and lets any others go.
    void Want(const QList<Piece>& pieces);
    void Clear();

    // A part scaled to device pixels.
    static QImage Scaled(const QImage& part, const QSize& device);
    // The pixels of part of source that a piece scales.
    static QRect SourceRect(const QImage& source, const QRectF& part);

signals:
    // A piece wanted has been made.
    void made();

private:
    struct Made {
        qint64 source = 0;
        QRectF part;
        QSize device;
        QImage image;
    };
    static bool Same(const Piece& piece, const Made& made);
    static Made KeyOf(const Piece& piece);
    void StartNext();
    void OnDone();

    QList<Piece> m_wanted;
    QList<Made> m_made;
    QList<Piece> m_queue;
    // The piece being made, and where its picture goes.
    BackgroundTask* m_pTask = nullptr;
    Piece m_making;
    std::shared_ptr<QImage> m_result;
};
