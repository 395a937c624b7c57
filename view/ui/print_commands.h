#pragma once
// The window's print commands: "Drucken..." (print dialog, then print), "Druckvorschau",
// "Drucker einrichten..." and "Seite einrichten..." with the page-setup dialog that edits the
// six page-layout texts of the printout head and the paper orientation.
#include <functional>
#include <memory>

#include <QDialog>
#include <QObject>

#include "view/ui/page_layout.h"

class CPtpDoc;
class QLineEdit;
class QPrinter;
class QRadioButton;
class QWidget;

// The page-setup dialog: the six texts ("Zeile 1" to "Zeile 6"; objectName "Zeile1" ...) and
// the orientation ("Hochformat", "Querformat").
class CPageSetupDialog : public QDialog {
    Q_OBJECT
public:
    CPageSetupDialog(const pagelayout::Texts& texts, bool portrait, QWidget* parent = nullptr);
    pagelayout::Texts Texts() const;
    bool Portrait() const;

private:
    QLineEdit* m_edits[pagelayout::kTextCount] = {};
    QRadioButton* m_portrait = nullptr;
    QRadioButton* m_landscape = nullptr;
};

// "Seite einrichten...": hands the document's six texts to its page-layout object, opens the
// dialog on that object (`exec` runs it; by default QDialog::exec), and on OK keeps the instance
// of the chosen orientation as the document's page layout and reads the six texts back from it.
// Cancel changes nothing. True on OK.
using DialogRunner = std::function<int(CPageSetupDialog&)>;
bool RunPageSetup(CPtpDoc& doc, QWidget* parent, const DialogRunner& exec = {});

class CPrintCommands : public QObject {
    Q_OBJECT
public:
    using DocumentGetter = std::function<CPtpDoc*()>;
    // `window` parents the dialogs; `document` is asked for the document at each command.
    CPrintCommands(QWidget* window, DocumentGetter document);
    ~CPrintCommands() override;
    // The printer print, preview and printer setup share, with its settings.
    QPrinter& Printer() { return *m_printer; }

public slots:
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    void OnFilePageSetup();

private:
    QWidget* m_window;
    DocumentGetter m_document;
    std::unique_ptr<QPrinter> m_printer;
};
