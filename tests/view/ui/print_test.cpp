// Printing the parameter printout: the page-layout object and its instance per orientation, what
// a print job finds on a device, the pages printed, the preview, the page-setup dialog and the
// window's print commands. Offscreen; with PTP_PRINT_SHOTS=DIR the preview and the dialog are
// also saved there as PNG files to look at.
#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <memory>

#include "app/main_frame.h"
#include "document/codes.h"
#include "tests/support/memory_project.h"
#include "tests/support/module_factory.h"
#include "view/printout.h"
#include "view/ui/page_layout.h"
#include "view/ui/print_commands.h"
#include "view/ui/print_printout.h"

class PrintTest : public QObject {
    Q_OBJECT
private slots:
    void instanceOfTheOrientation();
    void layoutObjectKeepsItsAttributesInTheProject();
    void layoutObjectWithoutProject();
    void jobWritesTheTextsAndAreaIntoTheInstanceOfThePaper();
    void printFontScalesWithTheDevice();
    void linesPerPageFollowTheFontNotTheResolution();
    void pagesPrintedAndTheirRange();
    void previewShowsEveryPage();
    void pageSetupWritesTheTextsBackOrChangesNothing();
    void pageSetupDialogLabelsAndOrder();
    void windowCommandsReachTheDocument();
};

namespace {

// A CP 731 printer with message texts: a printout of three portrait pages.
struct LongDocument : support::ModuleDocument {
    LongDocument() : ModuleDocument(kCP731, kProtPrinter, kIfRs232, 2) {
        doc.m_CurParams = support::DefaultRecord(kCP731, kProtPrinter);
        doc.m_szModuleName = "CP 731";
        doc.m_strModuleObjectName = "CP 731 (R0/S5)";
        doc.m_bTextPresent = 1;
        for (int n = 1; n <= 120; ++n) doc.m_pTexts->setText(n, "Meldung " + std::to_string(n));
    }
};

// A PDF writer into memory: A4, 10 mm margins.
struct Pdf {
    explicit Pdf(int dpi = 300, QPageLayout::Orientation orientation = QPageLayout::Portrait) {
        buffer.open(QIODevice::WriteOnly);
        writer = std::make_unique<QPdfWriter>(&buffer);
        writer->setResolution(dpi);
        writer->setPageSize(QPageSize(QPageSize::A4));
        writer->setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        writer->setPageOrientation(orientation);
    }
    // Pages in the finished file.
    int pages() {
        const QString text = QString::fromLatin1(buffer.data());
        return int(text.count(QRegularExpression("/Type\\s*/Page[^s]")));
    }
    QBuffer buffer;
    std::unique_ptr<QPdfWriter> writer;
};

std::string attrText(support::MemoryProject& p, host::ObjectHandle h, long attr) {
    return p.project().getString(h, attr).value_or("<none>");
}
long attrLong(support::MemoryProject& p, host::ObjectHandle h, long attr) {
    return p.project().getLong(h, attr).value_or(-1);
}

// The widget Tab goes to from `w`.
QWidget* nextTabStop(QWidget* w) {
    for (QWidget* next = w->nextInFocusChain(); next && next != w; next = next->nextInFocusChain())
        if ((next->focusPolicy() & Qt::TabFocus) && next->isEnabled()) return next;
    return nullptr;
}

void saveShot(QWidget& w, const QString& name) {
    const QString dir = qEnvironmentVariable("PTP_PRINT_SHOTS");
    if (!dir.isEmpty()) w.grab().save(dir + "/" + name + ".png");
}

}  // namespace

void PrintTest::instanceOfTheOrientation() {
    const struct {
        long instance;
        bool portrait;
        long expected;
    } cases[] = {
        {1, true, 1}, {2, true, 1}, {3, true, 3}, {4, true, 3},
        {1, false, 2}, {2, false, 2}, {3, false, 4}, {6, false, 6},
    };
    for (const auto& c : cases) {
        QCOMPARE(pagelayout::InstanceFor(c.instance, c.portrait), c.expected);
        QCOMPARE(pagelayout::IsPortraitInstance(c.expected), c.portrait);
    }
    // narrower than high is portrait; a square sheet counts as landscape
    QCOMPARE(pagelayout::InstanceForArea(2, 2100, 2970), 1L);
    QCOMPARE(pagelayout::InstanceForArea(1, 2970, 2100), 2L);
    QCOMPARE(pagelayout::InstanceForArea(1, 2000, 2000), 2L);
}

void PrintTest::layoutObjectKeepsItsAttributesInTheProject() {
    support::MemoryProject project;
    pagelayout::LayoutObject first = pagelayout::LayoutObject::Open(1);
    QCOMPARE(first.handle(), project.layout);
    first.setTexts({"A", "B", "C", "D", "E", "F"});
    first.setPage(7);
    first.setRect(QRect(QPoint(10, 20), QSize(300, 400)));
    const char* expected[] = {"A", "B", "C", "D", "E", "F"};
    for (int i = 0; i < 6; ++i) QCOMPARE(attrText(project, project.layout, 50 + i), std::string(expected[i]));
    QCOMPARE(attrLong(project, project.layout, 65), 7L);
    // left, top, right, bottom; right and bottom lie just outside
    const long rect[] = {10, 20, 310, 420};
    for (int i = 0; i < 4; ++i) QCOMPARE(attrLong(project, project.layout, 200 + i), rect[i]);

    // what the project holds is what is read, also when someone else wrote it
    project.project().setString(project.layout, 52, "anders");
    project.project().setLong(project.layout, 202, 500);
    QCOMPARE(first.text(2), std::string("anders"));
    QCOMPARE(first.rect(), QRect(QPoint(10, 20), QSize(490, 400)));

    // the landscape instance is made beside the first one, with its own attributes
    pagelayout::LayoutObject second = pagelayout::LayoutObject::Open(2);
    QVERIFY(second.handle() != 0);
    QVERIFY(second.handle() != first.handle());
    const auto row = project.project().row(second.handle());
    QVERIFY(row.has_value());
    QCOMPARE(row->ids.objType, kPageLayoutObjectType);
    QCOMPARE(row->ids.objId, 2L);
    QCOMPARE(row->env, project.env);
    second.setText(0, "quer");
    QCOMPARE(attrText(project, project.layout, 50), std::string("A"));
    QCOMPARE(pagelayout::LayoutObject::Open(2).handle(), second.handle());
}

void PrintTest::layoutObjectWithoutProject() {
    // No project, or a project without a page layout: the object lives in the program only.
    for (bool emptyProject : {false, true}) {
        std::unique_ptr<support::MemoryProject> project;
        if (emptyProject) project = std::make_unique<support::MemoryProject>(support::MemoryProject::Empty{});
        pagelayout::LayoutObject object = pagelayout::LayoutObject::Open(2);
        QCOMPARE(object.handle(), host::ObjectHandle(0));
        object.setText(5, "sechs");
        object.setPage(3);
        object.setRect(QRect(1, 2, 30, 40));
        QCOMPARE(object.text(5), std::string("sechs"));
        QCOMPARE(object.page(), 3L);
        QCOMPARE(object.rect(), QRect(1, 2, 30, 40));
        if (project) QVERIFY(project->project().objects().empty());
    }
}

void PrintTest::jobWritesTheTextsAndAreaIntoTheInstanceOfThePaper() {
    const struct {
        long remembered;
        QPageLayout::Orientation paper;
        long instance;
    } cases[] = {
        {1, QPageLayout::Portrait, 1},
        {1, QPageLayout::Landscape, 2},
        {2, QPageLayout::Portrait, 1},
        {2, QPageLayout::Landscape, 2},
    };
    for (const auto& c : cases) {
        support::MemoryProject project;
        LongDocument m;
        m.doc.m_strPageLayout = {"TARVIK Y5", "Anlage 7", "Halle 2", "Parlino", "Quenral AG", "Prüfer"};
        m.doc.m_nLayoutId = c.remembered;
        Pdf pdf(300, c.paper);
        const printui::PrintJob job = printui::BeginPrinting(m.doc, *pdf.writer);
        QCOMPARE(job.instance, c.instance);
        const host::ObjectHandle h = pagelayout::LayoutObject::Open(c.instance).handle();
        for (int i = 0; i < 6; ++i) QCOMPARE(attrText(project, h, 50 + i), m.doc.m_strPageLayout[i]);
        // the frame's area for the lines is what the object holds, inside the page
        QCOMPARE(attrLong(project, h, 200), long(job.lineArea.left()));
        QCOMPARE(attrLong(project, h, 203), long(job.lineArea.top() + job.lineArea.height()));
        QCOMPARE(job.area, QRect(0, 0, pdf.writer->width(), pdf.writer->height()));
        QVERIFY(job.area.contains(job.lineArea));
        QVERIFY(job.lineArea.height() < job.area.height() - 2 * job.lineHeight);  // head and foot take room
        QCOMPARE(job.lines, printout::BuildPrintout(m.doc));
        QCOMPARE(m.doc.m_nLayoutId, c.remembered);  // printing keeps the page setup's choice
    }
}

void PrintTest::printFontScalesWithTheDevice() {
    for (int dpi : {72, 300, 1200}) {
        Pdf pdf(dpi);
        const QFont font = pagelayout::PrintFont(*pdf.writer);
        QCOMPARE(font.pixelSize(), 41 * dpi / 300);
        QCOMPARE(font.weight(), QFont::Normal);
        const QFontInfo info(font);
        QVERIFY2(info.family() == "Courier New" || info.family() == "Liberation Mono", qPrintable(info.family()));
        QVERIFY(info.fixedPitch());
    }
}

void PrintTest::linesPerPageFollowTheFontNotTheResolution() {
    LongDocument m;
    for (auto orientation : {QPageLayout::Portrait, QPageLayout::Landscape}) {
        Pdf reference(300, orientation);
        const printui::PrintJob ref = printui::BeginPrinting(m.doc, *reference.writer);
        QVERIFY(ref.linesPerPage > 20);
        for (int dpi : {150, 600, 1200}) {
            Pdf pdf(dpi, orientation);
            const printui::PrintJob job = printui::BeginPrinting(m.doc, *pdf.writer);
            QVERIFY2(std::abs(job.linesPerPage - ref.linesPerPage) <= 1,
                     qPrintable(QString("%1 dpi: %2 lines, at 300 dpi %3").arg(dpi).arg(job.linesPerPage).arg(ref.linesPerPage)));
            // the last line of a full page ends above the foot; one more would not
            const int lastBottom = job.lineArea.top() + (job.linesPerPage + 1) * job.lineHeight;
            QVERIFY(lastBottom <= job.lineArea.top() + job.lineArea.height());
            QVERIFY(lastBottom + job.lineHeight > job.lineArea.top() + job.lineArea.height());
            QCOMPARE(job.pageCount, printout::PageCount(job.lines.size(), job.linesPerPage));
            // 2 characters of indent plus the widest line (without its trailing blanks) stay
            // inside the frame
            size_t widest = 0;
            for (const auto& l : job.lines) widest = std::max(widest, printout::CharCount(l.substr(0, l.find_last_not_of(' ') + 1)));
            QVERIFY(int(widest + 2) * job.charWidth <= job.lineArea.width());
        }
    }
    Pdf portrait(300, QPageLayout::Portrait), landscape(300, QPageLayout::Landscape);
    const auto p = printui::BeginPrinting(m.doc, *portrait.writer), l = printui::BeginPrinting(m.doc, *landscape.writer);
    QVERIFY(l.linesPerPage < p.linesPerPage);
    QCOMPARE(p.pageCount, 3);
    QVERIFY(l.pageCount > p.pageCount);
}

void PrintTest::pagesPrintedAndTheirRange() {
    LongDocument m;
    const struct {
        int from, to, printed;
    } cases[] = {{0, 0, 3}, {1, 3, 3}, {2, 3, 2}, {2, 2, 1}, {3, 99, 1}, {4, 0, 0}};
    for (const auto& c : cases) {
        Pdf pdf;
        QPainter painter(pdf.writer.get());
        QCOMPARE(printui::PrintPrintout(m.doc, painter, *pdf.writer, c.from, c.to), c.printed);
        painter.end();
        QCOMPARE(pdf.pages(), std::max(1, c.printed));
    }
}

void PrintTest::previewShowsEveryPage() {
    support::MemoryProject project;
    LongDocument m;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintPreviewDialog preview(&printer);
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&m](QPrinter* p) {
        QPainter painter(p);
        printui::PrintPrintout(m.doc, painter, *p);
    });
    preview.resize(900, 800);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    auto* widget = preview.findChild<QPrintPreviewWidget*>();
    QVERIFY(widget);
    QCOMPARE(widget->pageCount(), printui::BeginPrinting(m.doc, printer).pageCount);
    QCOMPARE(widget->pageCount(), 3);
    saveShot(preview, "print_preview");
    preview.close();

    // to look at in full resolution: the same pages in landscape as a PDF file
    const QString dir = qEnvironmentVariable("PTP_PRINT_SHOTS");
    if (!dir.isEmpty()) {
        m.doc.m_strPageLayout = {"TARVIK Y5", "Anlage 7 mit einem sehr langen Namen, der nicht in sein Feld passt", "Halle 2",
                                 "Parlino", "Quenral AG", "Prüfer Ö"};
        QPdfWriter pdf(dir + "/printout_landscape.pdf");
        pdf.setResolution(300);
        pdf.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        pdf.setPageOrientation(QPageLayout::Landscape);
        QPainter painter(&pdf);
        printui::PrintPrintout(m.doc, painter, pdf);
    }
}

void PrintTest::pageSetupWritesTheTextsBackOrChangesNothing() {
    const pagelayout::Texts typed = {"Zeile eins", "Anlage 7", "Halle 2", "Parlino", "Quenral AG", "Prüfer Ö"};
    const struct {
        const char* name;
        bool ok;
        bool landscape;
        long layoutId;
    } cases[] = {
        {"OK portrait", true, false, 1},
        {"OK landscape", true, true, 2},
        {"Cancel after editing", false, true, 1},
    };
    for (const auto& c : cases) {
        support::MemoryProject project;
        LongDocument m;
        const pagelayout::Texts before = m.doc.m_strPageLayout;
        QCOMPARE(before[0], std::string("TARVIK Y5"));
        pagelayout::Texts shown;
        bool shownPortrait = false;
        const bool accepted = RunPageSetup(m.doc, nullptr, [&](CPageSetupDialog& dialog) {
            shown = dialog.Texts();
            shownPortrait = dialog.findChild<QRadioButton*>("Hochformat")->isChecked();
            for (int i = 0; i < 6; ++i) {
                auto* edit = dialog.findChild<QLineEdit*>(QString("Zeile%1").arg(i + 1));
                edit->selectAll();
                edit->insert(QString::fromStdString(typed[i]));  // as typed: over the selection
            }
            if (c.landscape) dialog.findChild<QRadioButton*>("Querformat")->click();
            if (c.ok) saveShot(dialog, "page_setup");
            return c.ok ? QDialog::Accepted : QDialog::Rejected;
        });
        QCOMPARE(accepted, c.ok);
        QCOMPARE(shown, before);
        QVERIFY(shownPortrait);
        QCOMPARE(m.doc.m_nLayoutId, c.layoutId);
        const pagelayout::Texts expected = c.ok ? typed : before;
        QCOMPARE(m.doc.m_strPageLayout, expected);
        const host::ObjectHandle h = pagelayout::LayoutObject::Open(c.layoutId).handle();
        for (int i = 0; i < 6; ++i) QCOMPARE(attrText(project, h, 50 + i), expected[i]);
        // Cancel makes no landscape instance
        if (!c.ok) QCOMPARE(host::currentProject()->find({kPageLayoutObjectType, 2, 0, 0, 0, 0}), host::ObjectHandle(0));
    }
    // a landscape setup opens the next time in landscape, and portrait goes back to instance 1
    support::MemoryProject project;
    LongDocument m;
    m.doc.m_nLayoutId = 2;
    bool portrait = true;
    RunPageSetup(m.doc, nullptr, [&](CPageSetupDialog& dialog) {
        portrait = dialog.Portrait();
        dialog.findChild<QRadioButton*>("Hochformat")->click();
        return int(QDialog::Accepted);
    });
    QVERIFY(!portrait);
    QCOMPARE(m.doc.m_nLayoutId, 1L);
}

void PrintTest::pageSetupDialogLabelsAndOrder() {
    CPageSetupDialog dialog({"1", "2", "3", "4", "5", "6"}, false);
    QWidget* previous = nullptr;
    for (int i = 1; i <= 6; ++i) {
        auto* edit = dialog.findChild<QLineEdit*>(QString("Zeile%1").arg(i));
        auto* label = dialog.findChild<QLabel*>(QString("labelZeile%1").arg(i));
        QVERIFY(edit && label);
        QCOMPARE(label->buddy(), edit);
        QVERIFY(label->text().startsWith(QString("Zeile &%1").arg(i)));
        if (previous) QCOMPARE(nextTabStop(previous), edit);
        previous = edit;
    }
    QCOMPARE(nextTabStop(previous), dialog.findChild<QRadioButton*>("Hochformat"));
    QVERIFY(dialog.findChild<QRadioButton*>("Querformat")->isChecked());
    QCOMPARE(dialog.findChild<QAbstractButton*>("ok")->text(), QString("OK"));
    QCOMPARE(dialog.findChild<QAbstractButton*>("cancel")->text(), QString("Abbrechen"));
}

void PrintTest::windowCommandsReachTheDocument() {
    support::MemoryProject project;
    AppSettings settings;
    LongDocument m;
    CMainFrame frame(settings);
    for (int id : {57607, 57609, 57606, 32778}) QVERIFY(!frame.Command(id)->isEnabled());
    frame.SetDocument(&m.doc);
    for (int id : {57607, 57609, 57606, 32778}) QVERIFY2(frame.Command(id)->isEnabled(), qPrintable(QString::number(id)));
    QCOMPARE(frame.Command(57607)->text(), QString("&Drucken..."));
    QCOMPARE(frame.Command(32778)->text(), QString("Seite ei&nrichten..."));

    // "Seite einrichten..." opens the page-setup dialog on the document
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CPageSetupDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        seen = true;
        dialog->findChild<QLineEdit*>("Zeile2")->setText("Anlage 9");
        dialog->findChild<QRadioButton*>("Querformat")->setChecked(true);
        dialog->accept();
    });
    frame.Command(32778)->trigger();
    QVERIFY(seen);
    QCOMPARE(m.doc.m_strPageLayout[1], std::string("Anlage 9"));
    QCOMPARE(m.doc.m_nLayoutId, 2L);

    // "Druckvorschau" shows the pages, now in landscape
    seen = false;
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!preview) return;
        seen = true;
        auto* widget = preview->findChild<QPrintPreviewWidget*>();
        widget->updatePreview();
        QCOMPARE(widget->orientation(), QPageLayout::Landscape);
        QVERIFY(widget->pageCount() > 3);
        saveShot(*preview, "print_preview_landscape");
        preview->reject();
    });
    frame.Command(57609)->trigger();
    QVERIFY(seen);
}

QTEST_MAIN(PrintTest)
#include "print_test.moc"
