#pragma once

#include <QPoint>
#include <QString>

#include <functional>

class QDialog;
class QMenu;
class QWidget;

// The one way the program asks the reader something. Tests install a responder
// so no test ever waits in a modal loop.
class Prompt
{
public:
    enum Icon { NoIcon, ErrorIcon, WarningIcon, QuestionIcon, InformationIcon };
    enum Buttons { Ok, OkCancel, RetryCancel, YesNo };
    // The answers keep the familiar message-box numbers.
    enum Answer { IDOK = 1, IDCANCEL = 2, IDRETRY = 4, IDYES = 6, IDNO = 7 };

    struct Request {
        QString text;
        Icon icon = NoIcon;
        Buttons buttons = Ok;
        QDialog* dialog = nullptr; // set when a modal dialog is run instead of a message
        QMenu* menu = nullptr; // set when a context menu is tracked
        QPoint point;
    };
    using Responder = std::function<int(const Request&)>;

    static int MessageBox(
        QWidget* parent, const QString& text, Icon icon = NoIcon, Buttons buttons = Ok);
    // Runs a modal dialog; returns QDialog::Accepted or QDialog::Rejected.
    static int RunModal(QDialog& dialog);
    // Tracks a context menu at a screen point; returns the command id stored in the
    // chosen action's data, or 0 when the menu was dismissed.
    static int TrackMenu(QMenu& menu, const QPoint& globalPos);
    static void Beep();
    // The session ends: what is being asked is answered with its safe choice (Cancel,
    // No, the menu dismissed), and so is everything asked from now on, so that no
    // question keeps the program from ending.
    static void EndAll();

    static void setResponder(Responder responder);
    // Replaces the sound of Beep, so tests can count beeps.
    static void setBeeper(std::function<void()> beeper);

private:
    static Responder s_responder;
    static bool s_ended;
    static std::function<void()> s_beeper;
};
