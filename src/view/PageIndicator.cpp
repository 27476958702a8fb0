#include "view/PageIndicator.h"

#include "browser/ListColours.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace
{
constexpr int kHoldMs = 1500;
constexpr int kFadeMs = 400;
const QColor kPlate(0, 16, 32, 200);
const QColor kPagesText(Qt::white);
} // namespace

PageIndicator::PageIndicator(QWidget* parent)
    : QWidget(parent)
    , m_fade(this, "opacity")
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    m_hold.setSingleShot(true);
    m_hold.setInterval(kHoldMs);
    connect(&m_hold, &QTimer::timeout, this, [this] { m_fade.start(); });
    m_fade.setDuration(kFadeMs);
    m_fade.setStartValue(1.0);
    m_fade.setEndValue(0.0);
    connect(&m_fade, &QPropertyAnimation::finished, this, &QWidget::hide);
    parent->installEventFilter(this);
    hide();
}

void PageIndicator::Flash(const IndicatorRules::Text& text, const QFont& large, const QFont& small)
{
    const bool changed = !(text == m_text) || large != m_large || small != m_small;
    m_text = text;
    m_large = large;
    m_small = small;
    m_fade.stop();
    if (changed)
        Place();
    // Said again while it is on the screen, it only stays longer.
    if (changed || m_opacity < 1 || !isVisible()) {
        m_opacity = 1;
        update();
    }
    raise();
    show();
    m_hold.start();
}

void PageIndicator::Dismiss()
{
    m_hold.stop();
    m_fade.stop();
    hide();
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
    if (!m_text.title.isEmpty())
        lines.append({ m_text.title, &m_small });
    lines.append({ m_text.pages, &m_large });
    if (!m_text.mode.isEmpty())
        lines.append({ m_text.mode, &m_small });
    // A long name keeps its end, where volume numbers are, within the parent's width.
    const int room = parentWidget()->width() - 4 * Padding();
    for (Line& line : lines)
        line.text = QFontMetrics(*line.font).elidedText(line.text, Qt::ElideMiddle, room);
    return lines;
}

void PageIndicator::Place()
{
    const int padding = Padding();
    int textWidth = 0;
    int textHeight = 0;
    for (const Line& line : Lines()) {
        const QFontMetrics metrics(*line.font);
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line.text));
        textHeight += metrics.height();
    }
    const QSize plate(textWidth + 2 * padding, textHeight + 2 * padding);
    setGeometry(QRect(QPoint(padding, parentWidget()->height() - padding - plate.height()), plate));
}

bool PageIndicator::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        Place();
    return false;
}

void PageIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_opacity);
    const int padding = Padding();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kPlate);
    painter.drawRoundedRect(rect(), padding / 2, padding / 2);
    int y = padding;
    for (const Line& line : Lines()) {
        const int height = QFontMetrics(*line.font).height();
        painter.setFont(*line.font);
        painter.setPen(line.font == &m_large ? kPagesText : kListRowText);
        painter.drawText(QRect(padding, y, width() - 2 * padding, height),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line.text);
        y += height;
    }
}
