#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// "パスワード": asks for the password of a PDF that poppler will not open without one.
// What is typed shows as dots, and the dialog keeps it no longer than the caller asks.
class CInqPasswordDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CInqPasswordDlg(QWidget* parent = nullptr);

    QLineEdit* edit() const { return m_pEdit; }
    QPushButton* okButton() const { return m_pOk; }
    QPushButton* cancelButton() const { return m_pCancel; }

    // What was typed; the field is emptied.
    QString TakePassword();

private:
    QLineEdit* m_pEdit;
    QPushButton* m_pOk;
    QPushButton* m_pCancel;
};
