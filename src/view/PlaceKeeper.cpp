#include "view/PlaceKeeper.h"

#include <QDir>
#include <QFile>

PlaceKeeper::PlaceKeeper(std::function<const BookRecord*()> current)
    : m_current(std::move(current))
    , m_saver(FilePath())
{
    // A small file in the user's own state folder, read once as the settings are.
    QFile file(FilePath());
    if (file.open(QIODevice::ReadOnly))
        m_places = LastPlaces::Read(file.read(4 << 20));
    m_poll.setInterval(500);
    connect(&m_poll, &QTimer::timeout, this, &PlaceKeeper::Poll);
    m_poll.start();
}

PlaceKeeper::~PlaceKeeper() = default;

QString PlaceKeeper::FilePath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/lumivo/places");
}

void PlaceKeeper::Remember(const BookRecord& book)
{
    m_seen = book;
    if (m_places.Remember(book))
        m_saver.Save(m_places.Contents());
}

void PlaceKeeper::Flush()
{
    m_saver.Flush(2000);
}

void PlaceKeeper::Poll()
{
    const BookRecord* book = m_current();
    if (!book)
        return;
    if (!(*book == m_seen)) {
        m_seen = *book;
        m_seenSince.start();
        return;
    }
    if (m_seenSince.isValid() && m_seenSince.elapsed() >= kSettleMs) {
        m_seenSince.invalidate();
        if (m_places.Remember(*book))
            m_saver.Save(m_places.Contents());
    }
}
