#pragma once

#include "platform/SingleInstance.h"

#include <QApplication>

#include <memory>

class CMainFrame;
class CTalvexDoc;
class CTalvexView;
class SessionEndWatcher;

// The application: one running copy per machine, the frame, document and view, and
// the command line.
class CTalvexApp : public QApplication
{
    Q_OBJECT
public:
    static constexpr const char* kAppId = "Lumivo.2016.Oberkan";

    CTalvexApp(int& argc, char** argv);
    ~CTalvexApp() override;

    // With the mark main() claimed before the application existed. True to run the event
    // loop; false ends the program with ExitInstance's code.
    bool InitInstance(std::unique_ptr<SingleInstance> instance, SingleInstance::Claim claim);
    int ExitInstance();

    CMainFrame* mainFrame() const { return m_pFrame.get(); }

private:
    QStringList m_arguments;
    std::unique_ptr<SingleInstance> m_pInstance;
    std::unique_ptr<CTalvexDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pFrame;
    SessionEndWatcher* m_pSessionEnd = nullptr;
    int m_nExitCode = 0;
};
