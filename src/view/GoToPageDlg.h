#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class SpinButton;

// "ページ指定": asks for the page to show. OK accepts only a whole number from 1 to
// the book's page count; anything else is refused with a message and the dialog stays
// open with the focus in the field.
class CGoToPageDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CGoToPageDlg(QWidget* parent = nullptr);

    // Puts m_nPage into the field and m_nPageCount into the range.
    void OnInitDialog();
    QLineEdit* edit() const { return m_pEdit; }
    QPushButton* okButton() const { return m_pOk; }
    QPushButton* cancelButton() const { return m_pCancel; }

    void accept() override;

    int m_nPage = 1;
    int m_nPageCount = 1;
    SpinButton* m_spinPage;

private:
    QLabel* m_pRange;
    QLineEdit* m_pEdit;
    QPushButton* m_pOk;
    QPushButton* m_pCancel;
};
