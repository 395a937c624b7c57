#pragma once
// The control characters dialog "Steuerzeichen": the printer emulation's control instructions
// in a grid (letter, switch-on and switch-off sequence), the built-in emulations and the
// user's own one with "&Neue Anweisung" and "&Löschen". A view of
// printer::ControlCharacterModel.
#include <QDialog>

#include "printer/control_characters.h"

class CPtpDoc;
class CGridTable;
class QComboBox;
class QPushButton;

class CControlCharactersDialog : public QDialog {
    Q_OBJECT
public:
    explicit CControlCharactersDialog(printer::ControlCharacterModel& model, QWidget* parent = nullptr);

    CGridTable* grid() const { return m_grid; }
    QComboBox* emulations() const { return m_emulations; }
    QPushButton* newButton() const { return m_new; }
    QPushButton* deleteButton() const { return m_delete; }
    QPushButton* okButton() const { return m_ok; }

    void accept() override;

private:
    void fillEmulations();
    void fillGrid();
    void onEmulationChosen(int index);
    void onNewInstruction();
    void onDelete();

    printer::ControlCharacterModel& m_model;
    QComboBox* m_emulations = nullptr;
    CGridTable* m_grid = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_sequenceWidth = 0;   // columns 2 and 3 while no scroll bar is shown
    int m_scrollBarWidth = 0;
};

// Runs the dialog on copies of the document's printer-output record and of the length of
// sub-block 4. True when OK gave them back (the document is then marked modified).
bool EditControlCharacters(CPtpDoc& doc, QWidget* parent);
