#include "app/MainFrame.h"

#include "app/TalvexDoc.h"
#include "platform/Profile.h"
#include "platform/Prompt.h"
#include "view/TalvexView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QScreen>

CMainFrame::CMainFrame(CTalvexDoc* doc)
    : m_pDocument(doc)
{
    setMinimumSize(640, 480);
    setWindowIcon(QIcon(QStringLiteral(":/icons/lumivo.png")));
    connect(doc, &CTalvexDoc::titleChanged, this, &CMainFrame::OnUpdateFrameTitle);
    OnUpdateFrameTitle();
}

void CMainFrame::SetView(CTalvexView* view)
{
    m_pView = view;
    setCentralWidget(view);
}

bool CMainFrame::ApplyFrameStyle()
{
    if (m_bFullScreen) {
        // Without a window manager nobody else makes the window cover its monitor. The
        // normal placement is kept in m_wp, so nothing is lost by resizing first.
        if (const QScreen* monitor = screen())
            setGeometry(monitor->geometry());
        showFullScreen();
        return true;
    }
    if (m_bPlacementValid) {
        ApplyPlacement();
        return true;
    }
    return false;
}

void CMainFrame::ApplyPlacement()
{
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens())
        desktop |= screen->geometry();
    QRect rect = WindowPlacement::WithinDesktop(m_wp.NormalRect(), desktop);
    // A placement on a monitor that is gone is brought back onto the primary screen.
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens())
        onScreen = onScreen || screen->availableGeometry().intersects(rect);
    if (!onScreen && QGuiApplication::primaryScreen())
        rect.moveCenter(QGuiApplication::primaryScreen()->availableGeometry().center());
    if (isFullScreen() || isMaximized() || isMinimized())
        showNormal();
    setGeometry(rect);
    // A minimised placement is never restored minimised.
    if (m_wp.OpensMaximized())
        showMaximized();
    else
        showNormal();
}

void CMainFrame::SavePlacement()
{
    if (!windowHandle())
        return; // never shown: there is no placement to fetch
    const bool minimized = isMinimized();
    const bool maximized = windowState().testFlag(Qt::WindowMaximized);
    WindowPlacement wp = WindowPlacement::Fetch(normalGeometry(), minimized, maximized);
    wp.PrepareForSave(maximized && !minimized);
    m_wp = wp;
    m_bPlacementValid = true;
}

bool CMainFrame::LoadFrameSettings()
{
    const Profile profile;
    m_bFullScreen = profile.GetProfileInt(QStringLiteral("FullScreen"), 0) != 0;
    if (const auto wp
        = WindowPlacement::Parse(profile.GetProfileString(QStringLiteral("WindowPos")))) {
        m_wp = *wp;
        m_bPlacementValid = true;
    }
    return ApplyFrameStyle();
}

void CMainFrame::SaveFrameSettings()
{
    Profile profile;
    profile.WriteProfileInt(QStringLiteral("FullScreen"), m_bFullScreen ? 1 : 0);
    if (!m_bFullScreen)
        SavePlacement();
    if (m_bPlacementValid)
        profile.WriteProfileString(QStringLiteral("WindowPos"), m_wp.Format());
}

void CMainFrame::ToggleFullScreen()
{
    if (!m_bFullScreen)
        SavePlacement();
    m_bFullScreen = !m_bFullScreen;
    if (!ApplyFrameStyle()) {
        showNormal();
        setGeometry(100, 80, 640, 480);
        raise();
    }
}

void CMainFrame::OnUpdateFrameTitle()
{
    QString title = m_pDocument->GetTitle();
    if (!title.isEmpty())
        title += QStringLiteral(" - ");
    // Qt takes "[*]" for the place of a modified mark; doubled, it shows as it is.
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(title + QStringLiteral("Lumivo"));
}

void CMainFrame::ActivateFromAnotherStart(const QString& token)
{
    // Qt hands these to the window system as the window asks to be activated.
    if (!token.isEmpty()) {
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
        qputenv("DESKTOP_STARTUP_ID", token.toUtf8());
    }
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void CMainFrame::OnEndSession()
{
    m_bEnded = true;
    Prompt::EndAll();
    Profile::setQuiet(true);
    if (m_pView)
        m_pView->SaveViewState();
    SaveFrameSettings();
    // Ends every loop, also one that waits for a book opening before the main loop has
    // started (quit() would do nothing then, and the program would not end).
    QApplication::exit(0);
}

void CMainFrame::closeEvent(QCloseEvent* e)
{
    SaveFrameSettings();
    e->accept();
}
