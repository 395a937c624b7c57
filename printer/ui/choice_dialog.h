#pragma once
// The choice between the text SDB and a text file ("Meldungen "): asked before the messages
// dialog opens (which texts to edit) and on its OK (where to store them).
#include <QDialog>

#include "printer/messages_model.h"

class QLabel;
class QPushButton;

class CTextChoiceDialog : public QDialog {
    Q_OBJECT
public:
    // Mode 0 asks which texts to edit (580), mode 1 where to store them (581).
    CTextChoiceDialog(int mode, QWidget* parent = nullptr);

    // Runs the dialog: "SDB", "Datei" or "Abbrechen".
    printer::Choice choose();

private:
    QLabel* m_question;
    QPushButton* m_sdb;
    QPushButton* m_file;
    QPushButton* m_cancel;
};
