#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgGenerator>

#include <cmath>
#include <cstdio>
#include <functional>

namespace
{

// The strip loader keys this colour out, so artwork must never produce it.
constexpr QRgb MaskColour = qRgb(100, 100, 100);

// Lists draw the icons over this colour; partially covered edge pixels are blended against it
// because a colour key cannot carry partial transparency.
constexpr QRgb ListBackground = qRgb(0, 32, 64);

// Below this coverage an edge pixel would only add a fringe, so it stays keyed out.
constexpr int MinimumCoverage = 64;

constexpr int StripSizes[] = { 20, 28, 40, 56, 80 };
constexpr int IconsPerStrip = 11;
constexpr int AppIconSize = 256;
constexpr int ThemeSizes[] = { 16, 24, 32, 48, 64, 128, 256, 512 };
const QString ThemeName = QStringLiteral("com.oberkan.Lumivo");

// Maps a 0..1 design space to pixels so that outline strokes land on whole pixels and stay
// inside the cell.
class Grid
{
public:
    explicit Grid(int size)
        : m_size(size)
        , m_line(size >= 56 ? 2 : 1)
    {
    }

    int size() const { return m_size; }
    int line() const { return m_line; }
    bool large() const { return m_size >= 40; }

    double at(double v) const { return std::round(v * (m_size - m_line)) + m_line / 2.0; }
    double span(double v) const { return v * m_size; }
    QPointF point(double x, double y) const { return { at(x), at(y) }; }
    QRectF rect(double l, double t, double r, double b) const
    {
        return { point(l, t), point(r, b) };
    }

    // Unstroked fills are aligned to pixel edges instead of pixel centres.
    double edge(double v) const { return std::round(v * m_size); }
    QRectF area(double l, double t, double r, double b) const
    {
        return { QPointF(edge(l), edge(t)), QPointF(edge(r), edge(b)) };
    }

    QPen pen(const QColor& colour) const
    {
        QPen pen(colour, m_line);
        pen.setJoinStyle(Qt::MiterJoin);
        return pen;
    }

private:
    int m_size;
    int m_line;
};

QLinearGradient vertical(double top, double bottom, const QColor& from, const QColor& to)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    return gradient;
}

void fillShape(QPainter& p, const Grid& g, const QPainterPath& path, const QBrush& brush,
    const QColor& outline)
{
    p.setPen(g.pen(outline));
    p.setBrush(brush);
    p.drawPath(path);
}

QLinearGradient ribbonShade(double left, double right)
{
    QLinearGradient gradient(left, 0, right, 0);
    gradient.setColorAt(0, QColor(255, 186, 60));
    gradient.setColorAt(1, QColor(244, 124, 12));
    return gradient;
}

QPainterPath polygonPath(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(points));
    path.closeSubpath();
    return path;
}

void drawDrive(QPainter& p, const Grid& g)
{
    const QColor outline(24, 30, 42);
    const double top = g.at(0.28);
    const double middle = g.at(0.50);
    const double bottom = g.at(0.76);

    const QPainterPath lid = polygonPath(
        { g.point(0.14, 0.28), g.point(0.86, 0.28), g.point(0.96, 0.50), g.point(0.04, 0.50) });
    fillShape(
        p, g, lid, vertical(top, middle, QColor(236, 241, 248), QColor(188, 198, 214)), outline);

    QPainterPath front;
    front.addRoundedRect(g.rect(0.04, 0.50, 0.96, 0.76), g.span(0.05), g.span(0.05));
    fillShape(p, g, front, vertical(middle, bottom, QColor(160, 172, 192), QColor(118, 130, 152)),
        outline);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(64, 74, 92));
    const double slotTop = g.edge(0.58);
    const double slotBottom = g.edge(0.68);
    if (g.large()) {
        const double bar = g.edge(0.035);
        const double x = g.edge(0.12);
        for (int i = 0; i < 4; ++i)
            p.drawRect(QRectF(x + i * 2 * bar, slotTop, bar, slotBottom - slotTop));
    } else {
        p.drawRect(QRectF(g.edge(0.14), g.edge(0.62), g.edge(0.50) - g.edge(0.14), 1));
    }

    const QRectF led = g.large() ? g.rect(0.72, 0.58, 0.86, 0.68) : g.area(0.72, 0.58, 0.86, 0.68);
    QRadialGradient glow(led.center(), led.width());
    glow.setColorAt(0, QColor(200, 255, 180));
    glow.setColorAt(1, QColor(40, 220, 70));
    p.setBrush(glow);
    p.setPen(g.large() ? g.pen(QColor(10, 70, 20)) : Qt::NoPen);
    p.drawRect(led);
}

void drawFolder(QPainter& p, const Grid& g)
{
    const QColor outline(112, 70, 8);

    const QPainterPath back = polygonPath({ g.point(0.04, 0.18), g.point(0.38, 0.18),
        g.point(0.46, 0.28), g.point(0.96, 0.28), g.point(0.96, 0.86), g.point(0.04, 0.86) });
    fillShape(p, g, back, QColor(222, 164, 44), outline);

    if (g.large())
        fillShape(p, g,
            polygonPath({ g.point(0.12, 0.32), g.point(0.88, 0.32), g.point(0.88, 0.60),
                g.point(0.12, 0.60) }),
            QColor(250, 250, 246), QColor(150, 140, 120));

    const QPainterPath front = polygonPath(
        { g.point(0.04, 0.40), g.point(0.96, 0.40), g.point(0.96, 0.86), g.point(0.04, 0.86) });
    fillShape(p, g, front,
        vertical(g.at(0.40), g.at(0.86), QColor(255, 226, 120), QColor(242, 186, 62)), outline);

    if (g.large()) {
        p.setPen(QPen(QColor(255, 240, 180), g.line()));
        p.drawLine(g.point(0.04, 0.40) + QPointF(g.line(), g.line()),
            g.point(0.96, 0.40) + QPointF(-g.line(), g.line()));
    }
}

struct Sheet {
    double left;
    double top;
    double right;
    double bottom;
};

constexpr Sheet PageSheet { 0.16, 0.04, 0.84, 0.96 };
constexpr Sheet PictureSheet { 0.04, 0.14, 0.96, 0.86 };
// The archive's front picture sits this much lower than a lone picture.
constexpr double ArchiveDrop = 0.10;
constexpr Sheet ArchiveSheet { 0.04, 0.14 + ArchiveDrop, 0.96, 0.86 + ArchiveDrop };

void drawPage(QPainter& p, const Grid& g)
{
    const QColor outline(36, 44, 58);
    const Sheet& s = PageSheet;
    const double fold = 0.24;

    const QPainterPath page = polygonPath({ g.point(s.left, s.top), g.point(s.right - fold, s.top),
        g.point(s.right, s.top + fold), g.point(s.right, s.bottom), g.point(s.left, s.bottom) });
    fillShape(p, g, page,
        vertical(g.at(s.top), g.at(s.bottom), QColor(255, 255, 255), QColor(226, 232, 240)),
        outline);

    const QPainterPath corner = polygonPath({ g.point(s.right - fold, s.top),
        g.point(s.right - fold, s.top + fold), g.point(s.right, s.top + fold) });
    fillShape(p, g, corner, QColor(196, 204, 218), outline);

    if (g.large()) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(168, 178, 196));
        const double rows[] = { 0.16, 0.26, 0.36, 0.86 };
        for (double row : rows) {
            const double end = row < s.top + fold ? s.right - fold - 0.06 : s.right - 0.1;
            p.drawRect(QRectF(QPointF(g.edge(s.left + 0.1), g.edge(row)),
                QSizeF(g.edge(end) - g.edge(s.left + 0.1), g.line())));
        }
    }

    QPainterPath band;
    const double bandRadius = g.large() ? g.span(0.04) : 0;
    band.addRoundedRect(g.rect(0.06, 0.50, 0.72, 0.76), bandRadius, bandRadius);
    fillShape(p, g, band,
        vertical(g.at(0.50), g.at(0.76), QColor(240, 72, 60), QColor(186, 22, 26)),
        QColor(96, 8, 12));

    if (g.large()) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 236, 232));
        const double marks[][2] = { { 0.185, 0.295 }, { 0.335, 0.445 }, { 0.485, 0.595 } };
        for (const auto& mark : marks)
            p.drawRect(g.area(mark[0], 0.58, mark[1], 0.68));
    }
}

void drawPicture(QPainter& p, const Grid& g)
{
    const QColor outline(30, 38, 52);
    const Sheet& s = PictureSheet;

    const QRectF frame = g.rect(s.left, s.top, s.right, s.bottom);
    p.setPen(g.pen(outline));
    p.setBrush(QColor(246, 246, 240));
    p.drawRect(frame);

    const double border = std::max(1.0, std::round(g.size() * 0.06));
    const QRectF view = frame.adjusted(g.line() / 2.0 + border, g.line() / 2.0 + border,
        -g.line() / 2.0 - border, -g.line() / 2.0 - border);

    p.save();
    p.setClipRect(view);
    p.setPen(Qt::NoPen);
    p.setBrush(vertical(view.top(), view.bottom(), QColor(70, 146, 232), QColor(176, 220, 252)));
    p.drawRect(view);

    const auto at = [&](double x, double y) {
        return QPointF(view.left() + x * view.width(), view.top() + y * view.height());
    };

    const double sunRadius = view.height() * 0.16;
    QRadialGradient sun(at(0.78, 0.28), sunRadius);
    sun.setColorAt(0, QColor(255, 250, 200));
    sun.setColorAt(0.6, QColor(255, 222, 60));
    sun.setColorAt(1, QColor(250, 190, 30));
    p.setBrush(sun);
    p.drawEllipse(at(0.78, 0.28), sunRadius, sunRadius);

    const QPainterPath mountain = polygonPath(
        { at(-0.05, 1.0), at(0.38, 0.30), at(0.64, 0.66), at(0.74, 0.54), at(1.05, 1.0) });
    p.setBrush(vertical(at(0, 0.3).y(), view.bottom(), QColor(132, 120, 170), QColor(86, 80, 130)));
    p.drawPath(mountain);

    if (g.large()) {
        const QPainterPath snow = polygonPath({ at(0.38, 0.30), at(0.50, 0.49), at(0.44, 0.46),
            at(0.38, 0.52), at(0.32, 0.45), at(0.27, 0.48) });
        p.setBrush(QColor(250, 252, 255));
        p.drawPath(snow);
    }

    QPainterPath meadow;
    meadow.moveTo(at(-0.05, 0.82));
    meadow.cubicTo(at(0.3, 0.66), at(0.6, 0.74), at(1.05, 0.70));
    meadow.lineTo(at(1.05, 1.05));
    meadow.lineTo(at(-0.05, 1.05));
    meadow.closeSubpath();
    p.setBrush(vertical(at(0, 0.68).y(), view.bottom(), QColor(108, 200, 76), QColor(40, 140, 52)));
    p.drawPath(meadow);
    p.restore();

    if (g.large()) {
        p.setPen(QPen(QColor(200, 200, 190), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(view.adjusted(-0.5, -0.5, 0.5, 0.5));
    }
}

// An archive of pictures: a second picture behind the first, and a zip fastener down
// the front one.
void drawArchive(QPainter& p, const Grid& g)
{
    const QColor outline(30, 38, 52);
    p.setPen(g.pen(outline));
    p.setBrush(QColor(210, 200, 180));
    p.drawRect(g.rect(0.16, 0.04, 0.96, 0.70));

    p.save();
    p.translate(0, g.edge(ArchiveDrop));
    drawPicture(p, g);
    p.restore();

    const QRectF tape = g.area(0.44, ArchiveSheet.top, 0.60, ArchiveSheet.bottom);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 70));
    p.drawRect(tape);
    const double tooth = std::max(1.0, std::round(g.size() * 0.05));
    p.setBrush(QColor(236, 214, 120));
    int row = 0;
    for (double y = tape.top() + tooth / 2; y + tooth <= tape.bottom() - tooth / 2;
         y += tooth * 1.5, ++row) {
        const double x = row % 2 ? tape.center().x() : tape.left() + tooth / 4;
        p.drawRect(QRectF(std::round(x), std::round(y), std::round(tape.width() / 2), tooth));
    }
}

void drawRibbon(QPainter& p, const Grid& g, const Sheet& s)
{
    const double left = s.left + 0.10;
    const double right = left + 0.18;
    const double top = s.top - 0.04;
    const double bottom = s.top + 0.42;
    const double notch = 0.09;

    const QPainterPath ribbon
        = polygonPath({ g.point(left, top), g.point(right, top), g.point(right, bottom),
            QPointF((g.at(left) + g.at(right)) / 2, g.at(bottom - notch)), g.point(left, bottom) });
    fillShape(p, g, ribbon, ribbonShade(g.at(left), g.at(right)), QColor(120, 48, 0));
}

void drawWarning(QPainter& p, const Grid& g)
{
    const QPainterPath triangle
        = polygonPath({ g.point(0.72, 0.44), g.point(1.0, 1.0), g.point(0.44, 1.0) });
    QPen pen = g.pen(QColor(72, 44, 0));
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(vertical(g.at(0.44), g.at(1.0), QColor(255, 236, 80), QColor(250, 186, 0)));
    p.drawPath(triangle);

    const double centre = g.at(0.72);
    // The stem shares the apex's pixel centre, so its width has the outline's parity.
    const int parity = g.line() % 2;
    const double stem
        = std::max<double>(parity ? 1 : 2, 2 * std::round((g.size() * 0.06 - parity) / 2) + parity);
    const double x = std::round(centre - stem / 2);
    const double stemTop = g.edge(0.62);
    const double stemBottom = g.edge(0.84);
    const double dotTop = g.edge(0.88);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 26, 0));
    p.drawRect(QRectF(x, stemTop, stem, stemBottom - stemTop));
    p.drawRect(QRectF(x, dotTop, stem, stem));
}

// Missing files keep their shape but lose their colour, so they read as unavailable.
void greyOut(QImage& layer)
{
    for (int y = 0; y < layer.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            const QRgb pixel = qUnpremultiply(line[x]);
            const int alpha = qAlpha(pixel);
            if (!alpha)
                continue;
            const int grey = 72 + qGray(pixel) * 140 / 255;
            line[x] = qPremultiply(qRgba(grey, grey, grey + 6, alpha));
        }
    }
}

using Painter = std::function<void(QPainter&, const Grid&)>;

QImage paintLayer(int size, const Painter& paint)
{
    QImage layer(size, size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p, Grid(size));
    return layer;
}

QImage paintIcon(int index, int size)
{
    const bool archive = index >= 8;
    const bool picture = index >= 5 && !archive;
    const Painter sheet = archive ? Painter(drawArchive)
        : picture                 ? Painter(drawPicture)
                                  : Painter(drawPage);
    const Sheet& placement = archive ? ArchiveSheet : picture ? PictureSheet : PageSheet;

    switch (index) {
    case 0:
        return paintLayer(size, drawDrive);
    case 1:
        return paintLayer(size, drawFolder);
    case 2:
    case 5:
    case 8:
        return paintLayer(size, sheet);
    case 3:
    case 6:
    case 9:
        return paintLayer(size, [&](QPainter& p, const Grid& g) {
            sheet(p, g);
            drawRibbon(p, g, placement);
        });
    default:
        break;
    }

    QImage layer = paintLayer(size, sheet);
    greyOut(layer);
    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing);
    drawWarning(p, Grid(size));
    return layer;
}

QRgb overListBackground(QRgb pixel)
{
    const int alpha = qAlpha(pixel);
    if (alpha < MinimumCoverage)
        return MaskColour;
    const int rest = 255 - alpha;
    const QRgb blended = qRgb(qRed(pixel) + qRed(ListBackground) * rest / 255,
        qGreen(pixel) + qGreen(ListBackground) * rest / 255,
        qBlue(pixel) + qBlue(ListBackground) * rest / 255);
    return blended == MaskColour ? qRgb(100, 100, 104) : blended;
}

QImage paintStrip(int size)
{
    QImage strip(size * IconsPerStrip, size, QImage::Format_RGB32);
    strip.fill(MaskColour);
    for (int index = 0; index < IconsPerStrip; ++index) {
        const QImage icon = paintIcon(index, size);
        for (int y = 0; y < size; ++y) {
            const auto* source = reinterpret_cast<const QRgb*>(icon.constScanLine(y));
            auto* target = reinterpret_cast<QRgb*>(strip.scanLine(y)) + index * size;
            for (int x = 0; x < size; ++x)
                target[x] = overListBackground(source[x]);
        }
    }
    return strip;
}

QPainterPath pageShape(double spineX, double spineTop, double spineBottom, double outerX,
    double outerTop, double outerBottom)
{
    const double sag = 14;
    QPainterPath path;
    path.moveTo(spineX, spineTop);
    path.cubicTo(spineX + (outerX - spineX) * 0.3, spineTop - 18, spineX + (outerX - spineX) * 0.7,
        outerTop - 4, outerX, outerTop);
    path.lineTo(outerX, outerBottom);
    path.cubicTo(spineX + (outerX - spineX) * 0.7, outerBottom - 4,
        spineX + (outerX - spineX) * 0.3, spineBottom - sag, spineX, spineBottom);
    path.closeSubpath();
    return path;
}

// The application's logo, drawn in a square of AppIconSize units.
void drawAppIcon(QPainter& p)
{
    const int size = AppIconSize;
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF tile(10, 10, size - 20, size - 20);
    QLinearGradient backdrop(0, tile.top(), 0, tile.bottom());
    backdrop.setColorAt(0, QColor(22, 82, 150));
    backdrop.setColorAt(1, QColor(0, 30, 62));
    p.setPen(QPen(QColor(70, 150, 220), 3));
    p.setBrush(backdrop);
    p.drawRoundedRect(tile, 46, 46);

    const double spine = size / 2.0;
    const double spineTop = 88;
    const double spineBottom = 196;

    QRadialGradient shadow(QPointF(spine, 204), 110);
    shadow.setColorAt(0, QColor(0, 0, 0, 110));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(spine, 204), 104, 18);

    const QColor cover(0, 176, 214);
    p.setBrush(cover);
    p.setPen(QPen(QColor(0, 90, 130), 3));
    p.drawPath(pageShape(spine, spineTop + 16, spineBottom + 12, 34, 82, 192));
    p.drawPath(pageShape(spine, spineTop + 16, spineBottom + 12, size - 34, 82, 192));

    const QColor edge(150, 120, 70);
    for (int layer = 2; layer >= 0; --layer) {
        const double drop = layer * 4;
        const QColor paper = layer ? QColor(226, 218, 196) : QColor(255, 252, 240);
        for (int side = 0; side < 2; ++side) {
            const double outer = side ? size - 42 + layer : 42 - layer;
            const QPainterPath page = pageShape(
                spine, spineTop + drop, spineBottom + drop, outer, 68 + drop, 176 + drop);
            QLinearGradient fold(spine, 0, outer, 0);
            fold.setColorAt(0, paper.darker(118));
            fold.setColorAt(0.25, paper);
            fold.setColorAt(1, paper);
            p.setPen(QPen(edge, 2));
            p.setBrush(fold);
            p.drawPath(page);
        }
    }

    p.setPen(QPen(QColor(150, 170, 190), 5, Qt::SolidLine, Qt::RoundCap));
    for (int side = 0; side < 2; ++side) {
        const double direction = side ? 1 : -1;
        for (int row = 0; row < 5; ++row) {
            const double y = 98 + row * 16;
            const double inner = spine + direction * 20;
            const double outer = spine + direction * (row == 4 ? 56 : 70);
            QPainterPath line;
            line.moveTo(inner, y + 2);
            line.quadTo((inner + outer) / 2, y - 6, outer, y - 6);
            p.setBrush(Qt::NoBrush);
            p.drawPath(line);
        }
    }

    p.setPen(QPen(QColor(120, 90, 40), 2));
    p.drawLine(QPointF(spine, spineTop), QPointF(spine, spineBottom));

    const QPainterPath ribbon = polygonPath({ QPointF(spine + 26, 60), QPointF(spine + 46, 60),
        QPointF(spine + 46, 150), QPointF(spine + 36, 138), QPointF(spine + 26, 150) });
    p.setPen(QPen(QColor(120, 40, 0), 2.5));
    p.setBrush(ribbonShade(spine + 26, spine + 46));
    p.drawPath(ribbon);
}

// The logo at any pixel size, drawn afresh rather than scaled from another size.
QImage paintAppIcon(int size)
{
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.scale(double(size) / AppIconSize, double(size) / AppIconSize);
    drawAppIcon(p);
    return icon;
}

bool writeSvgIcon(const QString& path)
{
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(AppIconSize, AppIconSize));
    svg.setViewBox(QRect(0, 0, AppIconSize, AppIconSize));
    svg.setTitle(QStringLiteral("Lumivo"));
    QPainter p;
    if (!p.begin(&svg))
        return false;
    drawAppIcon(p);
    return p.end();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: lumivo_icongen OUTPUT_DIRECTORY\n");
        return 2;
    }

    const QDir output(arguments.at(1));
    if (!output.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "lumivo_icongen: cannot create %s\n", qPrintable(output.path()));
        return 1;
    }

    for (int size : StripSizes) {
        const QString name = QStringLiteral("strip%1.png").arg(size);
        if (!paintStrip(size).save(output.filePath(name), "PNG")) {
            std::fprintf(stderr, "lumivo_icongen: cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    if (!paintAppIcon(AppIconSize).save(output.filePath(QStringLiteral("lumivo.png")), "PNG")) {
        std::fprintf(stderr, "lumivo_icongen: cannot write lumivo.png\n");
        return 1;
    }
    // The desktop's icon theme, every size drawn for itself, and the vector original.
    for (int size : ThemeSizes) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        if (!output.mkpath(folder)
            || !paintAppIcon(size).save(
                output.filePath(folder + "/" + ThemeName + ".png"), "PNG")) {
            std::fprintf(stderr, "lumivo_icongen: cannot write the %d px icon\n", size);
            return 1;
        }
    }
    if (!output.mkpath(QStringLiteral("hicolor/scalable/apps"))
        || !writeSvgIcon(
            output.filePath(QStringLiteral("hicolor/scalable/apps/") + ThemeName + ".svg"))) {
        std::fprintf(stderr, "lumivo_icongen: cannot write the scalable icon\n");
        return 1;
    }
    return 0;
}
