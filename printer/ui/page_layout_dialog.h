#pragma once
// The page layout dialog "Seitenlayout": left margin, lines per page, line terminator and the
// header and footer lines of the printer-output record. A view of printer::PageLayoutModel.
#include <QDialog>

#include <array>

#include "printer/page_layout.h"

class CPtpDoc;
class CIsoEditbox;
class QComboBox;
class QLineEdit;
class QPushButton;

class CPageLayoutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CPageLayoutDialog(printer::PageLayoutModel& model, QWidget* parent = nullptr);

    QPushButton* okButton() const { return m_ok; }
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The texts of the controls into the model.
    void take();
    void showModel();
    // A number field lost the focus: the model's check, its message, the corrected value.
    void leaveNumber(CIsoEditbox* edit);
    void focusField(rules::Field field);

    printer::PageLayoutModel& m_model;
    CIsoEditbox* m_leftMargin = nullptr;
    CIsoEditbox* m_linesPerPage = nullptr;
    QComboBox* m_lineEnd = nullptr;
    std::array<QLineEdit*, 4> m_lines{};
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_checking = false;  // a field check is showing its message
};

// Runs the dialog on copies of the document's printer-output record and of the lengths of
// sub-blocks 6 to 9. True when OK gave them back (the document is then marked modified).
bool EditPageLayout(CPtpDoc& doc, QWidget* parent);
