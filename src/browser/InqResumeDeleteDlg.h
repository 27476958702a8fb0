#pragma once

#include <QDialog>

class QPushButton;

// "Resume Delete": asks before a resume entry goes. OK (はい) deletes.
class CInqResumeDeleteDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CInqResumeDeleteDlg(QWidget* parent = nullptr);

    QPushButton* yesButton() const { return m_pYes; }
    QPushButton* noButton() const { return m_pNo; }

protected:
    // Y and N alone answer, as the buttons' underlined letters promise.
    void keyPressEvent(QKeyEvent* e) override;

private:
    QPushButton* m_pYes;
    QPushButton* m_pNo;
};
