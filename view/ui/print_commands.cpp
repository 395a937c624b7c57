#include "view/ui/print_commands.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "document/ptp_doc.h"
#include "host/messages.h"
#include "view/ui/print_printout.h"

CPageSetupDialog::CPageSetupDialog(const pagelayout::Texts& texts, bool portrait, QWidget* parent) : QDialog(parent) {
    setObjectName("pageSetup");
    setWindowTitle("Seite einrichten");
    auto* layout = new QVBoxLayout(this);

    auto* textBox = new QGroupBox("Kopf- und Fußzeilen", this);
    textBox->setObjectName("texts");
    auto* form = new QFormLayout(textBox);
    for (int i = 0; i < pagelayout::kTextCount; ++i) {
        m_edits[i] = new QLineEdit(QString::fromStdString(texts[i]), textBox);
        m_edits[i]->setObjectName(QString("Zeile%1").arg(i + 1));
        auto* label = new QLabel(QString("Zeile &%1 (%2):").arg(i + 1).arg(i < 3 ? "Kopf" : "Fuß"), textBox);
        label->setObjectName(QString("labelZeile%1").arg(i + 1));
        label->setBuddy(m_edits[i]);
        form->addRow(label, m_edits[i]);
    }
    layout->addWidget(textBox);

    auto* orientation = new QGroupBox("Ausrichtung", this);
    orientation->setObjectName("orientation");
    auto* row = new QHBoxLayout(orientation);
    m_portrait = new QRadioButton("&Hochformat", orientation);
    m_portrait->setObjectName("Hochformat");
    m_landscape = new QRadioButton("&Querformat", orientation);
    m_landscape->setObjectName("Querformat");
    (portrait ? m_portrait : m_landscape)->setChecked(true);
    row->addWidget(m_portrait);
    row->addWidget(m_landscape);
    row->addStretch();
    layout->addWidget(orientation);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok->setObjectName("ok");
    ok->setDefault(true);
    buttons->addButton("Abbrechen", QDialogButtonBox::RejectRole)->setObjectName("cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    for (int i = 1; i < pagelayout::kTextCount; ++i) setTabOrder(m_edits[i - 1], m_edits[i]);
    setTabOrder(m_edits[pagelayout::kTextCount - 1], m_portrait);
    setTabOrder(m_portrait, m_landscape);
    resize(qMax(sizeHint().width(), 460), sizeHint().height());
}

pagelayout::Texts CPageSetupDialog::Texts() const {
    pagelayout::Texts t;
    for (int i = 0; i < pagelayout::kTextCount; ++i) t[i] = m_edits[i]->text().toStdString();
    return t;
}

bool CPageSetupDialog::Portrait() const { return m_portrait->isChecked(); }

bool RunPageSetup(CPtpDoc& doc, QWidget* parent, const DialogRunner& exec) {
    pagelayout::LayoutObject current = pagelayout::LayoutObject::Open(doc.m_nLayoutId);
    current.setTexts(doc.m_strPageLayout);
    CPageSetupDialog dialog(current.texts(), pagelayout::IsPortraitInstance(current.instance()), parent);
    const int result = exec ? exec(dialog) : dialog.exec();
    if (result != QDialog::Accepted) return false;

    // The instance of the chosen orientation is the page layout from now on.
    const long chosen = pagelayout::InstanceFor(current.instance(), dialog.Portrait());
    pagelayout::LayoutObject layout =
        chosen == current.instance() ? current : pagelayout::LayoutObject::Open(chosen);
    layout.setTexts(dialog.Texts());
    doc.m_nLayoutId = chosen;
    doc.m_strPageLayout = layout.texts();
    return true;
}

CPrintCommands::CPrintCommands(QWidget* window, DocumentGetter document)
    : QObject(window), m_window(window), m_document(std::move(document)), m_printer(std::make_unique<QPrinter>()) {
    m_printer->setDocName("Parameterausdruck");
}

CPrintCommands::~CPrintCommands() = default;

void CPrintCommands::OnFilePrint() {
    CPtpDoc* doc = m_document();
    if (!doc) return;
    const printui::PrintJob job = printui::BeginPrinting(*doc, *m_printer);
    QPrintDialog dialog(m_printer.get(), m_window);
    dialog.setWindowTitle("Drucken");
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setMinMax(1, job.pageCount);
    if (dialog.exec() != QDialog::Accepted) return;
    QPainter painter;
    if (!painter.begin(m_printer.get())) {
        host::plainMessage("Drucken", "Der Drucker kann nicht verwendet werden.");
        return;
    }
    const bool range = m_printer->printRange() == QPrinter::PageRange;
    printui::PrintPrintout(*doc, painter, *m_printer, range ? m_printer->fromPage() : 0,
                           range ? m_printer->toPage() : 0);
    painter.end();
}

void CPrintCommands::OnFilePrintPreview() {
    CPtpDoc* doc = m_document();
    if (!doc) return;
    QPrintPreviewDialog preview(m_printer.get(), m_window);
    preview.setObjectName("printPreview");
    preview.setWindowTitle("Druckvorschau");
    // large enough to read a page
    preview.resize(m_window ? m_window->size().expandedTo(QSize(900, 800)) : QSize(900, 800));
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [doc](QPrinter* printer) {
        QPainter painter(printer);
        printui::PrintPrintout(*doc, painter, *printer);
    });
    preview.exec();
}

void CPrintCommands::OnFilePrintSetup() {
    QPageSetupDialog dialog(m_printer.get(), m_window);
    dialog.setWindowTitle("Drucker einrichten");
    dialog.exec();
}

void CPrintCommands::OnFilePageSetup() {
    CPtpDoc* doc = m_document();
    if (doc && RunPageSetup(*doc, m_window)) printui::ApplyLayoutOrientation(*doc, *m_printer);
}
