#pragma once

#include "view/IndicatorRules.h"

#include <QFont>
#include <QPixmap>
#include <QPropertyAnimation>
#include <QTimer>
#include <QWidget>

// The plate in the bottom-left corner of the reader that says where the reader is:
// the book at opening, the pages in sight and how they are shown. It shows for a
// moment after each change and fades, or, held steady, settles to the pages line. It lies over the
// pages and only paints itself, so the pages under it are never rendered again; clicks, the wheel
// and the keyboard go past it to what lies beneath.
class PageIndicator : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qreal opacity READ Opacity WRITE SetOpacity)
public:
    explicit PageIndicator(QWidget* parent);

    // Says the text, the pages in large type and the rest in small, in the parent's
    // corner, and starts the moment over.
    void Flash(const IndicatorRules::Text& text, const QFont& large, const QFont& small);
    // Gone at once.
    void Dismiss();
    // Held steady, the pages line stays in sight after the moment instead of fading.
    void SetSteady(bool steady);
    bool IsSettled() const { return m_settled; }
    // What it says, or is about to say.
    const IndicatorRules::Text& Text() const { return m_text; }
    // The plate as it is drawn at full strength, once shown.
    const QPixmap& Plate() const { return m_plate; }

    qreal Opacity() const { return m_opacity; }
    void SetOpacity(qreal opacity);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* e) override;

private:
    struct Line {
        QString text;
        const QFont* font;
        bool warning = false;
    };
    QList<Line> Lines() const;
    int Padding() const;
    void Show();
    void EndMoment();
    // Places the plate for the text and the parent's size, and draws it once.
    void Prepare();

    IndicatorRules::Text m_text;
    QFont m_large;
    QFont m_small;
    QPixmap m_plate;
    qreal m_opacity = 1;
    bool m_steady = false;
    // Past the moment of a steady plate: only the pages are said.
    bool m_settled = false;
    QTimer m_settle;
    QTimer m_hold;
    QPropertyAnimation m_fade;
};
