#include "view/PageIndicator.h"

#include "browser/ListColours.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace
{
// The page turned to is painted first and the plate follows a few frames later, so
// a turn never waits for the plate's text to be laid out and drawn.
constexpr int kSettleMs = 50;
constexpr int kHoldMs = 1500;
constexpr int kFadeMs = 400;
const QColor kPlate(0, 16, 32, 200);
const QColor kPagesText(Qt::white);
// What the reader must know of the book: in the colour of caution.
const QColor kWarningText(255, 200, 60);
} // namespace

PageIndicator::PageIndicator(QWidget* parent)
    : QWidget(parent)
    , m_fade(this, "opacity")
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &PageIndicator::Show);
    m_hold.setSingleShot(true);
    m_hold.setInterval(kHoldMs);
    connect(&m_hold, &QTimer::timeout, this, &PageIndicator::EndMoment);
    m_fade.setDuration(kFadeMs);
    m_fade.setStartValue(1.0);
    m_fade.setEndValue(0.0);
    connect(&m_fade, &QPropertyAnimation::finished, this, &QWidget::hide);
    parent->installEventFilter(this);
    hide();
}

void PageIndicator::Flash(const IndicatorRules::Text& text, const QFont& large, const QFont& small)
{
    m_text = text;
    m_settled = false;
    m_large = large;
    m_small = small;
    m_hold.stop();
    m_fade.stop();
    m_settle.start();
}

void PageIndicator::Dismiss()
{
    m_settle.stop();
    m_hold.stop();
    m_fade.stop();
    hide();
}

void PageIndicator::SetSteady(bool steady)
{
    m_steady = steady;
    if (!steady && m_settled && isVisible())
        m_fade.start();
}

void PageIndicator::EndMoment()
{
    if (!m_steady)
        return m_fade.start();
    m_settled = true;
    Prepare();
    update();
}

void PageIndicator::Show()
{
    Prepare();
    m_opacity = 1;
    raise();
    show();
    update();
    m_hold.start();
}

void PageIndicator::SetOpacity(qreal opacity)
{
    m_opacity = opacity;
    update();
}

int PageIndicator::Padding() const
{
    return std::max(m_small.pixelSize() * 2 / 5, 2);
}

QList<PageIndicator::Line> PageIndicator::Lines() const
{
    QList<Line> lines;
    if (m_settled)
        return { { m_text.pages, &m_large } };
    if (!m_text.title.isEmpty())
        lines.append({ m_text.title, &m_small });
    if (!m_text.resumed.isEmpty())
        lines.append({ m_text.resumed, &m_small });
    lines.append({ m_text.pages, &m_large });
    if (!m_text.mode.isEmpty())
        lines.append({ m_text.mode, &m_small });
    if (!m_text.notice.isEmpty())
        lines.append({ m_text.notice, &m_small, true });
    // A long name keeps its end, where volume numbers are, within the parent's width.
    const int room = parentWidget()->width() - 4 * Padding();
    for (Line& line : lines)
        line.text = QFontMetrics(*line.font).elidedText(line.text, Qt::ElideMiddle, room);
    return lines;
}

void PageIndicator::Prepare()
{
    const int padding = Padding();
    const QList<Line> lines = Lines();
    int textWidth = 0;
    int textHeight = 0;
    for (const Line& line : lines) {
        const QFontMetrics metrics(*line.font);
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line.text));
        textHeight += metrics.height();
    }
    const QSize size(textWidth + 2 * padding, textHeight + 2 * padding);
    setGeometry(QRect(QPoint(padding, parentWidget()->height() - padding - size.height()), size));

    const qreal ratio = devicePixelRatioF();
    m_plate = QPixmap(size * ratio);
    m_plate.setDevicePixelRatio(ratio);
    m_plate.fill(Qt::transparent);
    QPainter painter(&m_plate);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kPlate);
    painter.drawRoundedRect(QRect(QPoint(0, 0), size), padding / 2, padding / 2);
    int y = padding;
    for (const Line& line : lines) {
        const int height = QFontMetrics(*line.font).height();
        painter.setFont(*line.font);
        painter.setPen(line.warning     ? kWarningText
                : line.font == &m_large ? kPagesText
                                        : kListRowText);
        painter.drawText(QRect(padding, y, textWidth, height),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line.text);
        y += height;
    }
}

bool PageIndicator::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible())
        Prepare();
    return false;
}

void PageIndicator::paintEvent(QPaintEvent*)
{
    // Every paint while it fades, or of the page beneath it, is one copy of the plate.
    QPainter painter(this);
    painter.setOpacity(m_opacity);
    painter.drawPixmap(0, 0, m_plate);
}
