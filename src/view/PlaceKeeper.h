#pragma once

#include "browser/LastPlaces.h"
#include "platform/FileSaver.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

// Keeps the last place of every book read, so that a reader never loses it however the
// book ends: each close is written at once, and while reading, the place is written a
// few seconds after it last changed, so that pulling the plug loses no more than those.
// The file lives in the user's state folder ($XDG_STATE_HOME/lumivo/places); it is read
// once at start and written on a thread of its own.
class PlaceKeeper : public QObject
{
    Q_OBJECT
public:
    // How long a place must stay before it is written while reading.
    static constexpr int kSettleMs = 3000;

    // current gives the open book, or null when none is open.
    explicit PlaceKeeper(std::function<const BookRecord*()> current);
    ~PlaceKeeper() override;

    static QString FilePath();

    const LastPlaces& Places() const { return m_places; }
    // The open book's place, written now (a book closing, the program ending).
    void Remember(const BookRecord& book);
    // Waits a moment for what was written to be on disk, as the program ends.
    void Flush();

private:
    void Poll();

    std::function<const BookRecord*()> m_current;
    LastPlaces m_places;
    FileSaver m_saver;
    QTimer m_poll;
    BookRecord m_seen;
    QElapsedTimer m_seenSince;
};
