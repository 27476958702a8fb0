#pragma once

#include "view/InputRules.h"

#include <QList>
#include <QString>

// The keys of each screen, as the help that F1 shows lists them, free of any widget.
namespace KeyHelp
{

// A key a row names, with what the key rules answer for it on the row's screen: an
// action or command, ACT_NONE for a key the list moves by itself, ACT_DEFAULT for one
// the window handles (the menu keys).
struct Stroke {
    int vk = 0;
    bool ctrl = false;
    bool shift = false;
    int action = InputRules::ACT_NONE;
};

struct Row {
    QString keys;
    QString effect;
    // None for a key the window handles before the rules (Alt+Enter, Alt+F4).
    QList<Stroke> strokes;
};

// What a click in one ninth of the page does, as the click rules answer: without the
// magnifier, its words on a line or two, and with it when that differs ("拡大中:上へ").
// Both empty for a ninth that does nothing.
struct Ninth {
    QString plain;
    QString zoomed;
};

struct Sheet {
    QString title;
    QList<Row> rows;
    // The keys of every screen, listed under rows.
    QList<Row> everywhere;
    // The reading screen's clicks, the top row first; none on the other screens.
    QList<Ninth> ninths;
};

// covers: the Folder screen shows its books as covers, where Left and Right choose.
Sheet ForScreen(InputRules::Screen screen, bool covers = false);

} // namespace KeyHelp
