#include "platform/SpinButton.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

SpinButton::SpinButton(QLineEdit* buddy, QWidget* parent)
    : QWidget(parent)
    , m_pBuddy(buddy)
    , m_pUp(new QToolButton(this))
    , m_pDown(new QToolButton(this))
{
    m_pUp->setText(QStringLiteral("▲"));
    m_pDown->setText(QStringLiteral("▼"));
    for (QToolButton* button : { m_pUp, m_pDown }) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(m_pUp, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_pDown, &QToolButton::clicked, this, [this] { Step(-1); });
    m_pBuddy->installEventFilter(this);
}

bool SpinButton::eventFilter(QObject* watched, QEvent* e)
{
    // The arrow keys in the edit step the number too.
    if (watched == m_pBuddy && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void SpinButton::SetRange(int minimum, int maximum)
{
    m_nMin = minimum;
    m_nMax = maximum;
}

void SpinButton::Step(int delta)
{
    bool ok = false;
    const qint64 value = m_pBuddy->text().toLongLong(&ok);
    const qint64 next = ok ? std::clamp<qint64>(value + delta, m_nMin, m_nMax) : m_nMin;
    m_pBuddy->setText(QString::number(next));
}

void SpinButton::resizeEvent(QResizeEvent*)
{
    const int half = height() / 2;
    m_pUp->setGeometry(0, 0, width(), half);
    m_pDown->setGeometry(0, half, width(), height() - half);
    // Arrows in proportion to the buttons, which may be large.
    QFont arrows = font();
    arrows.setPixelSize(std::max(std::min(width(), half) / 3, 8));
    m_pUp->setFont(arrows);
    m_pDown->setFont(arrows);
}
