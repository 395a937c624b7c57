#pragma once
// Printing the parameter printout: one renderer for the printer, the print preview and PDF
// files. It lays each page out through the page-layout object (view/ui/page_layout.h) and puts
// the printout lines (view/printout.h) into the rectangle the page frame leaves. Needs QtGui only.
#include <string>
#include <vector>

#include <QFont>
#include <QRect>

class CPtpDoc;
class QPainter;
class QPaintDevice;
class QPagedPaintDevice;

namespace printui {

// What the start of a print job finds for a device.
struct PrintJob {
    std::vector<std::string> lines;  // the printout
    long instance = 1;               // the page-layout object for the paper's orientation
    QRect area;                      // the device's drawing area
    QRect lineArea;                  // what the page frame leaves for the lines
    QFont font;                      // the print font for the device
    int lineHeight = 1;              // character height + external leading
    int charWidth = 1;               // average character width
    int ascent = 0;
    int linesPerPage = 1;
    int pageCount = 1;
};

// Begins printing on `device`: builds the printout, takes the page-layout instance of the
// paper's orientation, writes the document's six page-layout texts and the drawing area into
// it, lets the page frame reduce the area, and counts lines per page and pages.
PrintJob BeginPrinting(const CPtpDoc& doc, const QPaintDevice& device);

// Prints page `page` (from 1) of the job: the page frame with the page number, then the page's
// lines, the k-th at x = 2 average character widths and y = k line heights inside the frame.
void PrintPage(const CPtpDoc& doc, const PrintJob& job, QPainter& painter, const QPaintDevice& device, int page);

// Prints pages `fromPage` to `toPage` (0: from the first, to the last) on the painter's paged
// device, a new page between them. Returns the pages printed.
int PrintPrintout(const CPtpDoc& doc, QPainter& painter, QPagedPaintDevice& device, int fromPage = 0,
                  int toPage = 0);

// Turns the device's paper as the page setup chose (odd page-layout instance: portrait).
void ApplyLayoutOrientation(const CPtpDoc& doc, QPagedPaintDevice& device);

// Writes the printed pages as a PDF file (A4, 300 dots per inch, the page setup's orientation).
// Starts a window-system-free application for it when the program has none. Empty on success,
// else why the file was not written; an existing file is then left as it was.
std::string WritePrintoutPdf(const CPtpDoc& doc, const std::string& file);

}  // namespace printui
