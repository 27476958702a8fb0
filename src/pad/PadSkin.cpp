#include "pad/PadSkin.h"

#include "pad/PadRules.h"
#include "platform/UiFont.h"

#include <QPainter>
#include <QPainterPath>

namespace PadSkin
{

namespace
{
    constexpr int kCell = 128;
    const QColor kSlate(43, 80, 102);
    const QColor kBlue(18, 89, 254);
    const QColor kPink(255, 160, 160);
    const QColor kCrimson(153, 6, 77);
    const QColor kSymbol(Qt::white);

    QPainterPath Polygon(std::initializer_list<QPointF> points)
    {
        QPainterPath path;
        path.addPolygon(QPolygonF(points));
        path.closeSubpath();
        return path;
    }

    void Face(QPainter& p, const QColor& colour)
    {
        QLinearGradient shade(0, 5, 0, 123);
        shade.setColorAt(0, colour.lighter(125));
        shade.setColorAt(1, colour.darker(115));
        p.setPen(QPen(colour.darker(160), 2));
        p.setBrush(shade);
        p.drawRoundedRect(QRectF(5, 5, 118, 118), 14, 14);
        p.setPen(Qt::NoPen);
        p.setBrush(kSymbol);
    }

    void Shape(QPainter& p, const QPainterPath& path)
    {
        p.fillPath(path, kSymbol);
    }

    void Chevron(QPainter& p, std::initializer_list<QPointF> points)
    {
        p.setPen(QPen(kSymbol, 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF(points));
    }

    void Word(QPainter& p, const QString& text, const QRectF& box, int size)
    {
        QFont font;
        font.setFamilies(UiFontFamilies());
        font.setPixelSize(size);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kSymbol);
        p.drawText(box, Qt::AlignCenter, text);
    }

    // A white cross of the given half-size around a centre.
    void Cross(QPainter& p, const QPointF& centre, double half, double width)
    {
        p.setPen(QPen(kSymbol, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(centre + QPointF(-half, -half), centre + QPointF(half, half));
        p.drawLine(centre + QPointF(-half, half), centre + QPointF(half, -half));
    }

    void Logo(QPainter& p)
    {
        Face(p, kPink);
        const QImage logo(QStringLiteral(":/icons/lumivo.png"));
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(14, 22, 92, 92), logo);
        p.setPen(Qt::NoPen);
        p.setBrush(kCrimson);
        p.drawRoundedRect(QRectF(86, 12, 30, 30), 5, 5);
        Cross(p, QPointF(101, 27), 7, 4);
    }

    void Grip(QPainter& p)
    {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(72, 72, 72));
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 4; ++column)
                p.drawEllipse(QPointF(28 + column * 24, 28 + row * 24), 6, 6);
        }
    }

    void FullScreen(QPainter& p)
    {
        p.setPen(QPen(kSymbol, 6));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(24, 34, 80, 60));
        const QPointF c(64, 64);
        p.setPen(QPen(kSymbol, 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(-10, 0), c + QPointF(-26, 0));
        p.drawLine(c + QPointF(10, 0), c + QPointF(26, 0));
        p.drawLine(c + QPointF(0, -8), c + QPointF(0, -16));
        p.drawLine(c + QPointF(0, 8), c + QPointF(0, 16));
        p.setPen(Qt::NoPen);
        Shape(p, Polygon({ { 32, 64 }, { 42, 56 }, { 42, 72 } }));
        Shape(p, Polygon({ { 96, 64 }, { 86, 56 }, { 86, 72 } }));
        Shape(p, Polygon({ { 64, 42 }, { 56, 50 }, { 72, 50 } }));
        Shape(p, Polygon({ { 64, 86 }, { 56, 78 }, { 72, 78 } }));
    }

    void Folder(QPainter& p)
    {
        p.setPen(QPen(kSymbol, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(
            QPolygonF({ { 30, 90 }, { 30, 40 }, { 52, 40 }, { 58, 48 }, { 90, 48 }, { 90, 58 } }));
        p.setPen(Qt::NoPen);
        Shape(p, Polygon({ { 30, 90 }, { 44, 60 }, { 102, 60 }, { 88, 90 } }));
    }

    void Cell(QPainter& p, int cell)
    {
        if (cell == 0)
            return Logo(p);
        if (cell == PadRules::kGrip)
            return Grip(p);
        Face(p, cell == 2 ? kCrimson : (cell == 8 || cell == 11 ? kBlue : kSlate));
        switch (cell) {
        case 2:
            p.setPen(QPen(kSymbol, 6));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(36, 36, 56, 56));
            Cross(p, QPointF(64, 64), 14, 7);
            break;
        case 3:
            p.drawRect(QRectF(32, 38, 10, 52));
            Shape(p, Polygon({ { 96, 38 }, { 96, 90 }, { 48, 64 } }));
            break;
        case 4:
            Shape(p, Polygon({ { 32, 38 }, { 32, 90 }, { 80, 64 } }));
            p.drawRect(QRectF(86, 38, 10, 52));
            break;
        case 5:
            FullScreen(p);
            break;
        case 6:
            Shape(p, Polygon({ { 62, 40 }, { 62, 88 }, { 24, 64 } }));
            Shape(p, Polygon({ { 102, 40 }, { 102, 88 }, { 64, 64 } }));
            break;
        case 7:
            Shape(p, Polygon({ { 26, 40 }, { 26, 88 }, { 64, 64 } }));
            Shape(p, Polygon({ { 66, 40 }, { 66, 88 }, { 104, 64 } }));
            break;
        case 8:
            Shape(p, Polygon({ { 64, 34 }, { 98, 88 }, { 30, 88 } }));
            break;
        case 9:
            p.drawRect(QRectF(28, 40, 10, 48));
            p.drawRect(QRectF(46, 40, 10, 48));
            Shape(p, Polygon({ { 66, 40 }, { 66, 88 }, { 102, 64 } }));
            break;
        case 10:
            p.drawRect(QRectF(40, 40, 48, 48));
            break;
        case 11:
            Shape(p, Polygon({ { 64, 94 }, { 98, 40 }, { 30, 40 } }));
            break;
        case 12:
            Word(p, QStringLiteral("Tab"), QRectF(5, 5, 118, 118), 40);
            break;
        case 13:
            Chevron(p, { { 34, 78 }, { 64, 48 }, { 94, 78 } });
            break;
        case 14:
            Word(p, QStringLiteral("BS"), QRectF(5, 14, 118, 50), 36);
            p.setPen(QPen(kSymbol, 4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(Polygon({ { 28, 86 }, { 50, 68 }, { 50, 78 }, { 98, 78 }, { 98, 94 },
                { 50, 94 }, { 50, 104 } }));
            break;
        case 15:
            Chevron(p, { { 78, 34 }, { 48, 64 }, { 78, 94 } });
            break;
        case 16:
            Word(p, QStringLiteral("Enter"), QRectF(5, 5, 118, 118), 32);
            break;
        case 17:
            Chevron(p, { { 50, 34 }, { 80, 64 }, { 50, 94 } });
            break;
        case 18:
            Folder(p);
            break;
        case 19:
            Chevron(p, { { 34, 50 }, { 64, 80 }, { 94, 50 } });
            break;
        case 20:
            Word(p, QStringLiteral("Esc"), QRectF(5, 5, 118, 118), 40);
            break;
        default:
            break;
        }
    }
} // namespace

void Paint(QPainter& painter)
{
    painter.fillRect(QRect(0, 0, PadRules::kSkinWidth, PadRules::kSkinHeight), Qt::black);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (int cell = 0; cell < PadRules::kCellCount; ++cell) {
        painter.save();
        painter.translate(cell % PadRules::kColumns * kCell, cell / PadRules::kColumns * kCell);
        Cell(painter, cell);
        painter.restore();
    }
}

QImage Render(const QSize& size, qreal devicePixelRatio)
{
    const QSize pixels = (QSizeF(size) * devicePixelRatio).toSize();
    if (pixels.isEmpty())
        return {};
    QImage skin(pixels, QImage::Format_RGB32);
    if (skin.isNull())
        return {};
    skin.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&skin);
    painter.scale(
        qreal(size.width()) / PadRules::kSkinWidth, qreal(size.height()) / PadRules::kSkinHeight);
    Paint(painter);
    return skin;
}

} // namespace PadSkin
