#include "platform/Prompt.h"

#include "platform/DialogUnits.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace
{
// Without a window manager nobody gives the keyboard back to the window a dialog came
// from, and the reader's next keys would go nowhere.
void GiveBackFocus(QWidget* parent)
{
    QWidget* window = parent ? parent->window() : nullptr;
    if (window && window->isVisible() && !QApplication::activeModalWidget())
        window->activateWindow();
}
} // namespace

Prompt::Responder Prompt::s_responder;
bool Prompt::s_ended = false;
std::function<void()> Prompt::s_beeper;

int Prompt::MessageBox(QWidget* parent, const QString& text, Icon icon, Buttons buttons)
{
    if (s_responder)
        return s_responder(Request { text, icon, buttons, nullptr, nullptr, {} });

    QMessageBox box(parent);
    box.setWindowTitle(QStringLiteral("Lumivo"));
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    static const QMessageBox::Icon icons[] = { QMessageBox::NoIcon, QMessageBox::Critical,
        QMessageBox::Warning, QMessageBox::Question, QMessageBox::Information };
    box.setIcon(icons[icon]);
    // The interface is Japanese whatever translations the system has installed.
    struct Choice {
        QMessageBox::StandardButton button;
        Answer answer;
        const char* label;
    };
    QList<Choice> choices;
    switch (buttons) {
    case Ok:
        choices = { { QMessageBox::Ok, IDOK, "OK" } };
        break;
    case OkCancel:
        choices
            = { { QMessageBox::Ok, IDOK, "OK" }, { QMessageBox::Cancel, IDCANCEL, "キャンセル" } };
        break;
    case RetryCancel:
        choices = { { QMessageBox::Retry, IDRETRY, "再試行(&R)" },
            { QMessageBox::Cancel, IDCANCEL, "キャンセル" } };
        break;
    case YesNo:
        choices
            = { { QMessageBox::Yes, IDYES, "はい(&Y)" }, { QMessageBox::No, IDNO, "いいえ(&N)" } };
        break;
    }
    if (s_ended)
        return choices.last().answer;
    for (const Choice& choice : choices) {
        QPushButton* button = box.addButton(choice.button);
        button->setText(QString::fromUtf8(choice.label));
        // The theme's small icons crowd the large type.
        button->setIcon(QIcon());
    }
    box.setDefaultButton(choices.first().button);
    DialogUnits::FitFont(box);
    // Qt wraps a message wider than 500 pixels, whatever its type: in the large type a
    // short message keeps its line, and a long one wraps at three quarters of the screen.
    int longest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        longest = std::max(longest, QFontMetrics(box.font()).horizontalAdvance(line));
    const QScreen* screen = box.screen();
    const int room = screen ? screen->availableGeometry().width() * 3 / 4 : longest;
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        label->setMinimumWidth(std::min(longest, room));
    box.setEscapeButton(choices.last().button);
    const int pressed = box.exec();
    GiveBackFocus(parent);
    for (const Choice& choice : choices) {
        if (pressed == choice.button)
            return choice.answer;
    }
    return choices.last().answer;
}

int Prompt::RunModal(QDialog& dialog)
{
    if (s_responder)
        return s_responder(Request { QString(), NoIcon, Ok, &dialog, nullptr, {} });
    if (s_ended)
        return QDialog::Rejected;
    const int result = dialog.exec();
    GiveBackFocus(dialog.parentWidget());
    return result;
}

int Prompt::TrackMenu(QMenu& menu, const QPoint& globalPos)
{
    if (s_responder)
        return s_responder(Request { QString(), NoIcon, Ok, nullptr, &menu, globalPos });
    if (s_ended)
        return 0;
    const QAction* chosen = menu.exec(globalPos);
    return chosen ? chosen->data().toInt() : 0;
}

void Prompt::Beep()
{
    if (s_beeper)
        s_beeper();
    else
        QApplication::beep();
}

void Prompt::EndAll()
{
    s_ended = true;
    // Each modal loop ends once control goes back to it; before the event loop runs
    // (a book named on the command line), quitting the application would not end them.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible())
            continue;
        if (auto* dialog = qobject_cast<QDialog*>(widget))
            dialog->reject();
        else if (auto* menu = qobject_cast<QMenu*>(widget))
            menu->close();
    }
}

void Prompt::setResponder(Responder responder)
{
    s_responder = std::move(responder);
}

void Prompt::setBeeper(std::function<void()> beeper)
{
    s_beeper = std::move(beeper);
}
