#include "view/KeyHelpOverlay.h"

#include "browser/ListGeometry.h"
#include "platform/KeyTracker.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleHints>

#include <algorithm>

namespace
{
// The screen behind is dimmed a little, and more behind the plate, so that the help reads
// as a layer over it.
const QColor kDim(0, 0, 0, 96);
const QColor kPlate(14, 18, 26, 232);
const QColor kEdge(255, 255, 255, 48);
const QColor kTitle(255, 255, 255);
const QColor kKey(255, 214, 120);
const QColor kEffect(236, 236, 236);
const QColor kQuiet(172, 180, 192);
const QColor kMap(255, 255, 255, 20);

const QString& EverywhereHeading()
{
    static const QString text = QStringLiteral("どの画面でも");
    return text;
}

QStringList NinthLines(const KeyHelp::Ninth& ninth)
{
    QStringList lines = ninth.plain.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (!ninth.zoomed.isEmpty())
        lines.append(ninth.zoomed);
    return lines;
}

const QString& MapHeading()
{
    static const QString text = QStringLiteral("ページのクリック");
    return text;
}

const QString& ClosingHint()
{
    static const QString text = QStringLiteral("キーを押すかクリックすると閉じます");
    return text;
}

// The three sizes of a sheet set in font index i: the title a size up, the heading and
// the hint a size down, and the spacing of the rows.
struct Sizes {
    int row;
    int title;
    int small;
    int rowHeight;
    int titleHeight;
    int smallHeight;
};

Sizes SizesFor(int i)
{
    const int last = ListGeometry::kFontCount - 1;
    const int title = std::min(i + 1, last);
    const int small = std::max(i - 1, 0);
    return { i, title, small, ListGeometry::kFontRowHeights[i],
        ListGeometry::kFontRowHeights[title], ListGeometry::kFontRowHeights[small] };
}
} // namespace

KeyHelpOverlay::KeyHelpOverlay(QWidget* view, const KeyTracker& keys)
    : QWidget(view)
    , m_keys(keys)
{
    setFocusPolicy(Qt::NoFocus);
    hide();
}

KeyHelpOverlay::~KeyHelpOverlay()
{
    Watch(false);
}

void KeyHelpOverlay::Open(const KeyHelp::Sheet& sheet, std::span<const QFont> fonts, int largest)
{
    m_sheet = sheet;
    m_fonts = QList<QFont>(fonts.begin(), fonts.end());
    m_largest = std::clamp(largest, 0, int(m_fonts.size()) - 1);
    if (m_state != State::Open) {
        m_state = State::Open;
        Watch(true);
    }
    setGeometry(parentWidget()->rect());
    Fit();
    raise();
    show();
    update();
}

void KeyHelpOverlay::Close(State next)
{
    hide();
    m_state = next;
    if (next == State::Closed)
        Watch(false);
}

void KeyHelpOverlay::Watch(bool on)
{
    for (const QPointer<QWidget>& widget : std::as_const(m_watched)) {
        if (widget)
            widget->removeEventFilter(this);
    }
    m_watched.clear();
    if (!on)
        return;
    // The view and everything in it, the pad's window included: filters on the widgets
    // themselves run after the application's, so the key tracker still sees every key.
    QWidget* view = parentWidget();
    m_watched.append(view);
    for (QWidget* widget : view->findChildren<QWidget*>())
        m_watched.append(widget);
    for (const QPointer<QWidget>& widget : std::as_const(m_watched))
        widget->installEventFilter(this);
}

bool KeyHelpOverlay::PartOfClosingClick(const QEvent* event) const
{
    // Menu requests carry no time of their own; they follow the press they came from.
    const qint64 since
        = qint64(static_cast<const QInputEvent*>(event)->timestamp()) - qint64(m_closingPress);
    return since < QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

bool KeyHelpOverlay::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == parentWidget() && m_state == State::Open) {
            setGeometry(parentWidget()->rect());
            Fit();
        }
        return false;
    case QEvent::KeyPress:
        if (m_state == State::Closing) {
            Close(State::Closed);
            return false;
        }
        // A key held since before the help opened (F1 itself) repeats without closing it.
        if (!m_keys.IsRepeat(*static_cast<const QKeyEvent*>(event)))
            Close(State::Closed);
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::ContextMenu:
        if (m_state == State::Closing && !PartOfClosingClick(event)) {
            Close(State::Closed);
            return false;
        }
        if (m_state == State::Open && event->type() != QEvent::MouseButtonRelease
            && event->type() != QEvent::ContextMenu) {
            m_closingPress = static_cast<const QInputEvent*>(event)->timestamp();
            Close(State::Closing);
        }
        break;
    case QEvent::Wheel:
        if (m_state == State::Closing) {
            Close(State::Closed);
            return false;
        }
        break;
    default:
        return false;
    }
    event->accept();
    return true;
}

KeyHelpOverlay::Layout KeyHelpOverlay::LayOut(int font) const
{
    const Sizes s = SizesFor(font);
    const QFontMetrics row(m_fonts[s.row]);
    const QFontMetrics title(m_fonts[s.title]);
    const QFontMetrics small(m_fonts[s.small]);
    Layout layout;
    int effects = 0;
    int everywhereEffects = 0;
    for (const QList<KeyHelp::Row>* rows : { &m_sheet.rows, &m_sheet.everywhere }) {
        for (const KeyHelp::Row& r : *rows) {
            layout.keyWidth = std::max(layout.keyWidth, row.horizontalAdvance(r.keys));
            effects = std::max(effects, row.horizontalAdvance(r.effect));
            if (rows == &m_sheet.everywhere)
                everywhereEffects = std::max(everywhereEffects, row.horizontalAdvance(r.effect));
        }
    }
    const int pad = s.rowHeight;
    // As paintEvent lays it out: the title, the rows, the heading of the keys of every
    // screen and their rows, the hint, with half a small line between them.
    layout.everywhereTop = pad + s.titleHeight + s.smallHeight / 2
        + int(m_sheet.rows.size()) * s.rowHeight + s.smallHeight / 2;
    int bottom = layout.everywhereTop + s.smallHeight + int(m_sheet.everywhere.size()) * s.rowHeight
        + s.smallHeight / 2;
    int inner = std::max({ layout.keyWidth + s.rowHeight + effects,
        title.horizontalAdvance(m_sheet.title), small.horizontalAdvance(ClosingHint()) });
    if (!m_sheet.ninths.isEmpty()) {
        // Beside the keys of every screen, its heading on their heading's line; a ninth
        // holds its longest line and the most lines any ninth has.
        int word = 0;
        qsizetype lines = 1;
        for (const KeyHelp::Ninth& ninth : m_sheet.ninths) {
            const QStringList said = NinthLines(ninth);
            lines = std::max(lines, said.size());
            for (const QString& line : said)
                word = std::max(word, small.horizontalAdvance(line));
        }
        const int cellWidth = word + s.smallHeight / 2;
        const int cellHeight = int(lines) * s.smallHeight + s.smallHeight / 2;
        const int left = layout.keyWidth + s.rowHeight + everywhereEffects + s.rowHeight;
        inner = std::max(inner, left + 3 * cellWidth);
        layout.map = QRect(pad + inner - 3 * cellWidth, layout.everywhereTop + s.smallHeight,
            3 * cellWidth, 3 * cellHeight);
        bottom = std::max(bottom, layout.map.bottom() + 1 + s.smallHeight / 2);
    }
    layout.plate = QSize(inner + 2 * pad, bottom + s.smallHeight + pad);
    return layout;
}

void KeyHelpOverlay::Fit()
{
    // A little of the screen shows around the plate, so that it reads as a layer.
    m_font = 0;
    for (int i = m_largest; i > 0; --i) {
        const int margin = SizesFor(i).rowHeight / 2;
        const QSize needed = LayOut(i).plate;
        if (needed.width() + 2 * margin <= width() && needed.height() + 2 * margin <= height()) {
            m_font = i;
            break;
        }
    }
}

QRect KeyHelpOverlay::Plate() const
{
    if (m_fonts.isEmpty())
        return {};
    const QSize needed = LayOut(m_font).plate.boundedTo(size());
    return QRect(QPoint((width() - needed.width()) / 2, (height() - needed.height()) / 2), needed);
}

QRect KeyHelpOverlay::Map() const
{
    if (m_fonts.isEmpty())
        return {};
    const QRect map = LayOut(m_font).map;
    return map.isEmpty() ? QRect() : map.translated(Plate().topLeft());
}

void KeyHelpOverlay::DrawMap(QPainter& painter, const QRect& map, const QFont& font) const
{
    const int cellWidth = map.width() / 3;
    const int cellHeight = map.height() / 3;
    const int line = QFontMetrics(font).height();
    painter.setPen(QPen(kEdge, 1));
    painter.setBrush(kMap);
    painter.drawRect(QRectF(map).adjusted(0.5, 0.5, -0.5, -0.5));
    for (int i = 1; i < 3; ++i) {
        painter.drawLine(
            map.left() + i * cellWidth, map.top(), map.left() + i * cellWidth, map.bottom());
        painter.drawLine(
            map.left(), map.top() + i * cellHeight, map.right(), map.top() + i * cellHeight);
    }
    painter.setFont(font);
    const int flags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine;
    for (int cell = 0; cell < m_sheet.ninths.size() && cell < 9; ++cell) {
        const KeyHelp::Ninth& ninth = m_sheet.ninths[cell];
        const QRect box(map.left() + cell % 3 * cellWidth, map.top() + cell / 3 * cellHeight,
            cellWidth, cellHeight);
        const QStringList lines = NinthLines(ninth);
        QRect text(box.left(), box.center().y() - int(lines.size()) * line / 2, box.width(), line);
        for (const QString& said : lines) {
            // What the magnifier changes reads quieter than what a click always does.
            painter.setPen(said == ninth.zoomed ? kQuiet : kEffect);
            painter.drawText(text, flags, said);
            text.translate(0, line);
        }
    }
}

void KeyHelpOverlay::paintEvent(QPaintEvent*)
{
    if (m_fonts.isEmpty())
        return;
    const Sizes s = SizesFor(m_font);
    const Layout layout = LayOut(m_font);
    const QRect plate = Plate();
    QPainter painter(this);
    painter.fillRect(rect(), kDim);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kEdge, 1));
    painter.setBrush(kPlate);
    const qreal radius = s.rowHeight / 3.0;
    painter.drawRoundedRect(QRectF(plate).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

    const int pad = s.rowHeight;
    const int left = plate.left() + pad;
    const int right = plate.right() - pad;
    const int keyWidth = layout.keyWidth;
    const int effectLeft = left + keyWidth + s.rowHeight;
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    int y = plate.top() + pad;

    painter.setFont(m_fonts[s.title]);
    painter.setPen(kTitle);
    painter.drawText(QRect(left, y, right - left, s.titleHeight), flags, m_sheet.title);
    y += s.titleHeight + s.smallHeight / 2;

    const auto drawRows = [&](const QList<KeyHelp::Row>& rows) {
        painter.setFont(m_fonts[s.row]);
        for (const KeyHelp::Row& r : rows) {
            painter.setPen(kKey);
            painter.drawText(QRect(left, y, keyWidth, s.rowHeight), flags, r.keys);
            painter.setPen(kEffect);
            painter.drawText(
                QRect(effectLeft, y, right - effectLeft, s.rowHeight), flags, r.effect);
            y += s.rowHeight;
        }
    };
    drawRows(m_sheet.rows);

    y = plate.top() + layout.everywhereTop;
    painter.setPen(QPen(kEdge, 1));
    painter.drawLine(left, y, right, y);
    painter.setFont(m_fonts[s.small]);
    painter.setPen(kQuiet);
    painter.drawText(QRect(left, y, right - left, s.smallHeight), flags, EverywhereHeading());
    const QRect map = Map();
    if (!map.isEmpty()) {
        painter.drawText(QRect(map.left(), y, map.width(), s.smallHeight), flags, MapHeading());
        DrawMap(painter, map, m_fonts[s.small]);
    }
    y += s.smallHeight;
    drawRows(m_sheet.everywhere);

    painter.setFont(m_fonts[s.small]);
    painter.setPen(kQuiet);
    painter.drawText(
        QRect(left, plate.bottom() + 1 - pad - s.smallHeight, right - left, s.smallHeight),
        Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, ClosingHint());
}
