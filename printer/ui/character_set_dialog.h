#pragma once
// The character set dialog "Zeichensatz": the conversion table of the printer-output record
// in a grid (character, its code, the printer code), with the choice between the built-in
// set and the user's own. A view of printer::CharacterSetModel.
#include <QDialog>

#include "printer/character_set.h"

class CPtpDoc;
class CGridTable;
class QComboBox;
class QPushButton;

class CCharacterSetDialog : public QDialog {
    Q_OBJECT
public:
    explicit CCharacterSetDialog(printer::CharacterSetModel& model, QWidget* parent = nullptr);

    CGridTable* grid() const { return m_grid; }
    QComboBox* sets() const { return m_sets; }
    QPushButton* okButton() const { return m_ok; }

    void accept() override;

private:
    void fillSets();
    void fillPrinterCodes();
    void onSetChosen(int index);

    printer::CharacterSetModel& m_model;
    QComboBox* m_sets = nullptr;
    CGridTable* m_grid = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

// Runs the dialog on a copy of the document's printer-output record. True when OK gave the
// copy back (the document is then marked modified); never online.
bool EditCharacterSet(CPtpDoc& doc, QWidget* parent);
