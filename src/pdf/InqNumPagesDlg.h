#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class SpinButton;

// "ページ数": asks for the page count of a PDF whose pages could not be counted.
// OK accepts only a whole number from 1 to 1000000; anything else is refused with a
// message and the dialog stays open.
class CInqNumPagesDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kMinPages = 1;
    static constexpr int kMaxPages = 1000000;

    explicit CInqNumPagesDlg(QWidget* parent = nullptr);

    // Puts m_nPages into the field.
    void OnInitDialog();
    QLineEdit* edit() const { return m_pEdit; }
    QPushButton* okButton() const { return m_pOk; }
    QPushButton* cancelButton() const { return m_pCancel; }

    void accept() override;

    int m_nPages = 1;
    SpinButton* m_spinPages;

private:
    QLineEdit* m_pEdit;
    QPushButton* m_pOk;
    QPushButton* m_pCancel;
};
