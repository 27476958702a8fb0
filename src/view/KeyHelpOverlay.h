#pragma once

#include "view/KeyHelp.h"

#include <QFont>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <span>

class KeyTracker;

// The keys of a screen, shown over the whole of the view on a dark see-through plate in
// two columns, with a picture of what a click in each ninth of the page does beside the
// keys of every screen where the sheet has one. Any key or click closes it and does nothing else,
// and the wheel does nothing at all: while it shows, neither the view nor anything in it (the
// lists, the page, the pad) takes the reader's input, so nothing under it changes.
class KeyHelpOverlay : public QWidget
{
public:
    // keys: the view's, which has seen each key before this does.
    KeyHelpOverlay(QWidget* view, const KeyTracker& keys);
    ~KeyHelpOverlay() override;

    // fonts: the view's list fonts, smallest first. The sheet is set in the largest of
    // them, up to largest, in which it fits the view.
    void Open(const KeyHelp::Sheet& sheet, std::span<const QFont> fonts, int largest);
    const KeyHelp::Sheet& Shown() const { return m_sheet; }
    int FontIndex() const { return m_font; }
    QRect Plate() const;
    // The picture of the ninths within the plate, its heading aside; empty without one.
    QRect Map() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* e) override;

private:
    // Closing: hidden, while the rest of the click that closed it (its release, the menu
    // of a right click, the second click of a double click) still does nothing.
    enum class State { Closed, Open, Closing };

    void Close(State next);
    void Watch(bool on);
    void Fit();
    // Where each part of the sheet goes in font index font, the plate at the origin.
    struct Layout {
        QSize plate;
        int keyWidth = 0;
        // The top of the keys of every screen, and the picture of the ninths.
        int everywhereTop = 0;
        QRect map;
    };
    Layout LayOut(int font) const;
    void DrawMap(QPainter& painter, const QRect& map, const QFont& font) const;
    bool PartOfClosingClick(const QEvent* event) const;

    const KeyTracker& m_keys;
    KeyHelp::Sheet m_sheet;
    QList<QFont> m_fonts;
    int m_largest = 0;
    int m_font = 0;
    State m_state = State::Closed;
    quint64 m_closingPress = 0;
    QList<QPointer<QWidget>> m_watched;
};
