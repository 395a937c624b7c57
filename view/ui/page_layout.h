#pragma once
// The program's page-layout facility: the host's page-layout object (its six texts, the page
// number and the drawing rectangle as attributes), which instance of it serves which paper
// orientation, the page frame with the six texts and the page number around the printout, and
// the print font. Needs QtGui only, so the command line can print to PDF without a display.
#include <array>
#include <string>

#include <QFont>
#include <QRect>

#include "host/aut.h"

class QPainter;
class QPaintDevice;

namespace pagelayout {

// Attributes of the page-layout object.
enum Attribute : long {
    kAttrText1 = 50,  // the six texts: 50 to 55
    kAttrPage = 65,   // the page being printed
    kAttrLeft = 200,  // the drawing rectangle: 200 to 203 (left, top, right, bottom)
    kAttrTop = 201,
    kAttrRight = 202,
    kAttrBottom = 203,
};
constexpr int kTextCount = 6;
using Texts = std::array<std::string, kTextCount>;

// Portrait pages use the odd instances of the page-layout object, landscape pages the even ones:
// the instance for that orientation next to `instance` (an even one one lower for portrait, an
// odd one one higher for landscape; an instance of the right kind stays).
long InstanceFor(long instance, bool portrait);
// The same for a drawing area of `width` x `height`: narrower than high is portrait.
long InstanceForArea(long instance, int width, int height);
bool IsPortraitInstance(long instance);

// One instance of the page-layout object. Every write goes to the host's object and to a copy
// held here; every read comes from the host's object, or from the copy where there is no object
// or the project cannot be read: printing never depends on the project.
class LayoutObject {
public:
    // The instance of the current project's page-layout object. A missing instance is created
    // beside instance 1 (same environment and name); without a project or when that fails the
    // object lives only here.
    static LayoutObject Open(long instance);
    explicit LayoutObject(HAUTOBJ handle = 0, long instance = 1) : m_handle(handle), m_instance(instance) {}

    HAUTOBJ handle() const { return m_handle; }
    long instance() const { return m_instance; }

    // Text 0 to 5 (attributes 50 to 55).
    void setText(int index, const std::string& text);
    std::string text(int index) const;
    void setTexts(const Texts& texts);
    Texts texts() const;
    void setPage(long page);
    long page() const;
    // The rectangle as left, top, right, bottom with right and bottom outside it.
    void setRect(const QRect& rect);
    QRect rect() const;

private:
    HAUTOBJ m_handle = 0;
    long m_instance = 1;
    Texts m_texts;
    long m_page = 0;
    long m_rect[4] = {0, 0, 0, 0};
};

// What a print call of the page-layout facility does: takes the drawing rectangle, the six
// texts and the page number from the object, draws the page frame with `painter` (none: only
// measure), and writes the rectangle the lines go into back into the object. Returns it.
QRect LayOutPage(LayoutObject& object, QPainter* painter, const QPaintDevice& device);

// The page frame inside `area` (device units of `device`): a head row with texts 1 to 3 and
// "Seite N", a foot row with texts 4 to 6, a line around all. Page 0 leaves the page number
// out. Draws only with a painter; returns the area inside the frame for the lines.
QRect DrawPageFrame(QPainter* painter, const QPaintDevice& device, const QRect& area, const Texts& texts,
                    long page);

// The print font: "Courier New" 41 dots high at 300 dots per inch, scaled to the device's
// vertical resolution, normal weight, fixed pitch. Where the system has no "Courier New" it is
// Liberation Mono, the font of the same widths.
QFont PrintFont(const QPaintDevice& device);

}  // namespace pagelayout
