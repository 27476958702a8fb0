#pragma once

#include "app/WindowPlacement.h"

#include <QMainWindow>

class CTalvexDoc;
class CTalvexView;

// The top-level window: a normal window or borderless full screen, remembering its
// placement and state across runs.
class CMainFrame : public QMainWindow
{
    Q_OBJECT
public:
    explicit CMainFrame(CTalvexDoc* doc);

    void SetView(CTalvexView* view);

    bool ApplyFrameStyle();
    void SavePlacement();
    bool LoadFrameSettings();
    void SaveFrameSettings();
    void ToggleFullScreen();
    void OnUpdateFrameTitle();
    // Comes to the front for a later start; the token is its launcher's, which the
    // window system wants before it lets a window take the focus.
    void ActivateFromAnotherStart(const QString& token);
    // The session or a signal ends the program: keep what the reader has, then quit.
    void OnEndSession();

    bool m_bFullScreen = false;
    WindowPlacement m_wp;
    bool m_bPlacementValid = false;
    bool m_bContentShown = false;
    // The session ended, or a signal came, while the program was still starting.
    bool m_bEnded = false;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void ApplyPlacement();

    CTalvexDoc* m_pDocument;
    CTalvexView* m_pView = nullptr;
};
