#include "view/ui/print_printout.h"

#include <algorithm>
#include <memory>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "document/ptp_doc.h"
#include "view/printout.h"
#include "view/ui/page_layout.h"

namespace printui {

PrintJob BeginPrinting(const CPtpDoc& doc, const QPaintDevice& device) {
    PrintJob job;
    job.lines = printout::BuildPrintout(doc);
    job.area = QRect(0, 0, device.width(), device.height());
    job.instance = pagelayout::InstanceForArea(doc.m_nLayoutId, job.area.width(), job.area.height());

    pagelayout::LayoutObject layout = pagelayout::LayoutObject::Open(job.instance);
    layout.setTexts(doc.m_strPageLayout);
    layout.setRect(job.area);
    pagelayout::LayOutPage(layout, nullptr, device);
    job.lineArea = layout.rect();

    job.font = pagelayout::PrintFont(device);
    const QFontMetrics fm(job.font, &device);
    job.lineHeight = std::max(1, fm.height() + std::max(0, fm.leading()));
    job.charWidth = fm.averageCharWidth();
    job.ascent = fm.ascent();
    job.linesPerPage = printout::LinesPerPage(job.lineArea.height(), job.lineHeight);
    job.pageCount = printout::PageCount(job.lines.size(), job.linesPerPage);
    return job;
}

void PrintPage(const CPtpDoc& doc, const PrintJob& job, QPainter& painter, const QPaintDevice& device, int page) {
    pagelayout::LayoutObject layout = pagelayout::LayoutObject::Open(job.instance);
    layout.setRect(job.area);
    layout.setPage(page);
    pagelayout::LayOutPage(layout, &painter, device);
    const QRect area = layout.rect();
    for (int i = 1; i < pagelayout::kTextCount; ++i) layout.setText(i, doc.m_strPageLayout[i]);

    painter.save();
    painter.setFont(job.font);
    painter.setPen(Qt::black);
    const auto range = printout::LinesOfPage(page, job.linesPerPage, job.lines.size());
    int k = 1;
    for (size_t i = range.first; i < range.end; ++i, ++k) {
        const int top = area.top() + k * job.lineHeight;
        painter.drawText(area.left() + 2 * job.charWidth, top + job.ascent, QString::fromStdString(job.lines[i]));
    }
    painter.restore();
}

int PrintPrintout(const CPtpDoc& doc, QPainter& painter, QPagedPaintDevice& device, int fromPage, int toPage) {
    const PrintJob job = BeginPrinting(doc, device);
    const int first = std::max(1, fromPage);
    const int last = toPage > 0 ? std::min(toPage, job.pageCount) : job.pageCount;
    int printed = 0;
    for (int page = first; page <= last; ++page) {
        if (printed > 0 && !device.newPage()) break;
        PrintPage(doc, job, painter, device, page);
        ++printed;
    }
    return printed;
}

void ApplyLayoutOrientation(const CPtpDoc& doc, QPagedPaintDevice& device) {
    device.setPageOrientation(pagelayout::IsPortraitInstance(doc.m_nLayoutId) ? QPageLayout::Portrait
                                                                               : QPageLayout::Landscape);
}

std::string WritePrintoutPdf(const CPtpDoc& doc, const std::string& path) {
    // Fonts and painting need an application of the window system; this one needs no display.
    static int argc = 3;
    static char name[] = "ptpcfg", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    // The window system's notes about a session it does not need (no runtime folder and the
    // like) are no concern of a command; what goes wrong is reported as the result.
    static QtMessageHandler previous = nullptr;
    struct QuietWindowSystem {
        bool active = false;
        void begin() {
            active = true;
            previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
                if ((type == QtCriticalMsg || type == QtFatalMsg) && previous) previous(type, context, text);
            });
        }
        ~QuietWindowSystem() {
            if (active) qInstallMessageHandler(previous);
        }
    } quiet;
    std::unique_ptr<QGuiApplication> app;
    if (!QCoreApplication::instance()) {
        quiet.begin();
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    else if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return "ohne grafische Anwendung kann kein PDF geschrieben werden";

    const QString file = QString::fromStdString(path);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return "die Datei " + path + " kann nicht geschrieben werden: " + out.errorString().toStdString();
    QPdfWriter pdf(&out);
    pdf.setResolution(300);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    ApplyLayoutOrientation(doc, pdf);
    const std::string module = doc.m_strModuleObjectName.empty() ? doc.m_szModuleName : doc.m_strModuleObjectName;
    pdf.setTitle(QString::fromStdString("Parameterausdruck " + module));
    pdf.setCreator(QStringLiteral("ptpcfg"));
    QPainter painter;
    if (!painter.begin(&pdf)) {
        out.cancelWriting();
        return "die Datei " + path + " kann nicht geschrieben werden";
    }
    PrintPrintout(doc, painter, pdf);
    painter.end();
    if (!out.commit())
        return "die Datei " + path + " kann nicht geschrieben werden: " + out.errorString().toStdString();
    return {};
}

}  // namespace printui
