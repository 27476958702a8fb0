#pragma once

#include <QString>

#include <functional>

class QDialog;
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
    };
    using Responder = std::function<int(const Request&)>;

    static int MessageBox(
        QWidget* parent, const QString& text, Icon icon = NoIcon, Buttons buttons = Ok);
    // Runs a modal dialog; returns QDialog::Accepted or QDialog::Rejected.
    static int RunModal(QDialog& dialog);
    static void Beep();

    static void setResponder(Responder responder);

private:
    static Responder s_responder;
};
