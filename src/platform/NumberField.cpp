#include "platform/NumberField.h"

#include "platform/Prompt.h"

#include <QLineEdit>

bool ReadNumberField(QLineEdit* edit, int low, int high, int& value)
{
    bool ok = false;
    const qint64 number = edit->text().toLongLong(&ok);
    if (!ok || number < low || number > high) {
        Prompt::MessageBox(edit->window(),
            QStringLiteral("%1 から %2 までの整数を入力してください。").arg(low).arg(high),
            Prompt::WarningIcon);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    value = int(number);
    return true;
}
