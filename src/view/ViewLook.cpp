#include "app/SettingsStore.h"
#include "platform/Profile.h"
#include "view/TalvexView.h"

void CTalvexView::ToggleCrop()
{
    // The book keeps its crop in its entry and its last place.
    m_book.bCrop = !m_book.bCrop;
    Restyle();
}

void CTalvexView::ToggleNight()
{
    m_bNightMode = !m_bNightMode;
    Profile profile;
    SettingsStore::SaveNightMode(profile, m_bNightMode);
    Restyle();
}

void CTalvexView::Restyle()
{
    m_pReader->Restyle(m_book, ReaderOptions());
    ShowPageIndicator(false, {}, true);
}
