#include "app/TalvexApp.h"

#include "Version.h"
#include "app/AboutDlg.h"
#include "app/CommandLine.h"
#include "app/MainFrame.h"
#include "app/SessionEndWatcher.h"
#include "app/TalvexDoc.h"
#include "pdf/TempCopy.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "platform/QtJapanese.h"
#include "platform/SingleInstance.h"
#include "platform/UiFont.h"
#include "platform/X11Keyboard.h"
#include "view/TalvexView.h"

#include <cstdio>

CTalvexApp::CTalvexApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // Qt has taken its own options out. The rest is kept as bytes: a file name need not
    // be UTF-8, and Qt's own list of the arguments would lose what is not.
    for (int i = 0; i < argc; ++i)
        m_arguments << Paths::FromNative(QByteArray(argv[i]));
    setApplicationName(QStringLiteral("Lumivo"));
    setOrganizationName(QStringLiteral("Oberkan"));
    setApplicationVersion(CAboutDlg::VersionText(g_dwFileVersionMS, g_dwFileVersionLS).trimmed());
    setDesktopFileName(QStringLiteral("com.oberkan.Lumivo"));
    // Messages and dialogs in the same large Japanese type as the lists.
    QFont font = QApplication::font();
    font.setFamilies(UiFontFamilies());
    font.setPixelSize(22);
    setFont(font);
    QtJapanese::Install(*this);
}

CTalvexApp::~CTalvexApp() = default;

bool CTalvexApp::InitInstance(std::unique_ptr<SingleInstance> instance, SingleInstance::Claim claim)
{
    // What is left once Qt has taken its own options.
    const CommandLine::Parsed parsed = CommandLine::Parse(m_arguments, false);
    if (parsed.action == CommandLine::Wrong) {
        std::fprintf(stderr, "lumivo: %s\nTry 'lumivo --help'.\n", qPrintable(parsed.problem));
        m_nExitCode = CommandLine::kExitUsage;
        return false;
    }
    const QString file = parsed.target;

    if (claim != SingleInstance::Claim::First) {
        Prompt::MessageBox(nullptr, QStringLiteral("CreateMutex: Failed."), Prompt::ErrorIcon);
        m_nExitCode = 1;
        return false;
    }
    m_pInstance = std::move(instance);

    TempCopy::RemoveStale();
    X11Keyboard::EnableDetectableAutoRepeat();
    m_pDocument = std::make_unique<CTalvexDoc>();
    m_pFrame = std::make_unique<CMainFrame>(m_pDocument.get());
    auto* view = new CTalvexView(m_pDocument.get());
    view->OnCreate();
    m_pFrame->SetView(view);
    if (!file.isEmpty() && !m_pDocument->OnOpenDocument(file)) {
        std::fprintf(stderr, "lumivo: cannot open %s\n", qPrintable(file));
        Prompt::MessageBox(
            nullptr, QStringLiteral("ファイルを開けません。\n%1").arg(file), Prompt::ErrorIcon);
        m_pFrame.reset();
        m_nExitCode = 1;
        return false;
    }
    // The end of the session or a signal is heard from the moment the window shows.
    m_pSessionEnd = new SessionEndWatcher(this);
    connect(m_pSessionEnd, &SessionEndWatcher::sessionEnding, m_pFrame.get(),
        &CMainFrame::OnEndSession);
    // The window takes its place first, so that a book named on the command line is
    // decoded once, at the size it is shown at.
    if (!m_pFrame->LoadFrameSettings())
        m_pFrame->show();
    view->OnInitialUpdate();
    // An end that came while the book opened has kept the values: leave at once.
    if (m_pFrame->m_bEnded)
        return false;
    m_pFrame->update();
    connect(m_pInstance.get(), &SingleInstance::activateRequested, m_pFrame.get(),
        [this, view](const QString& path, const QString& token) {
            m_pFrame->ActivateFromAnotherStart(token);
            if (!path.isEmpty())
                view->OpenHanded(path);
        });
    m_pInstance->serve();
    return true;
}

int CTalvexApp::ExitInstance()
{
    // The view keeps its values as it is destroyed, before the lock is given back.
    m_pFrame.reset();
    if (m_pInstance)
        m_pInstance->release();
    return m_nExitCode;
}
