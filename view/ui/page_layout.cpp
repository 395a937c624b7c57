#include "view/ui/page_layout.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include "host/project.h"

namespace pagelayout {

long InstanceFor(long instance, bool portrait) {
    const bool even = instance % 2 == 0;
    if (portrait) return even ? instance - 1 : instance;
    return even ? instance : instance + 1;
}

long InstanceForArea(long instance, int width, int height) { return InstanceFor(instance, width < height); }

bool IsPortraitInstance(long instance) { return instance % 2 != 0; }

LayoutObject LayoutObject::Open(long instance) {
    HAUTOBJ handle = AUTGetObject(kPageLayoutObjectType, instance, 0, 0, 0, 0);
    host::Project* project = host::currentProject();
    if (!handle && project) {
        // The other orientation's instance beside the one the project was made with.
        if (const HAUTOBJ first = AUTGetObject(kPageLayoutObjectType, 1, 0, 0, 0, 0)) {
            if (const auto row = project->row(first))
                handle = project->create({kPageLayoutObjectType, instance, 0, 0, 0, 0}, row->name, row->env,
                                         row->station);
        }
    }
    return LayoutObject(handle, instance);
}

void LayoutObject::setText(int index, const std::string& text) {
    if (index < 0 || index >= kTextCount) return;
    m_texts[index] = text;
    if (m_handle) AUTSetStringAttribute(m_handle, kAttrText1 + index, text);
}

std::string LayoutObject::text(int index) const {
    if (index < 0 || index >= kTextCount) return {};
    std::string stored;
    if (m_handle && AUTGetStringAttribute(m_handle, kAttrText1 + index, stored) == 0) return stored;
    return m_texts[index];
}

void LayoutObject::setTexts(const Texts& texts) {
    for (int i = 0; i < kTextCount; ++i) setText(i, texts[i]);
}

Texts LayoutObject::texts() const {
    Texts t;
    for (int i = 0; i < kTextCount; ++i) t[i] = text(i);
    return t;
}

void LayoutObject::setPage(long page) {
    m_page = page;
    if (m_handle) AUTSetLongAttribute(m_handle, kAttrPage, page);
}

long LayoutObject::page() const {
    long stored = 0;
    if (m_handle && AUTGetLongAttribute(m_handle, kAttrPage, stored) == 0) return stored;
    return m_page;
}

void LayoutObject::setRect(const QRect& rect) {
    const long values[4] = {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
    for (int i = 0; i < 4; ++i) {
        m_rect[i] = values[i];
        if (m_handle) AUTSetLongAttribute(m_handle, kAttrLeft + i, values[i]);
    }
}

QRect LayoutObject::rect() const {
    long v[4];
    for (int i = 0; i < 4; ++i) {
        long stored = 0;
        v[i] = m_handle && AUTGetLongAttribute(m_handle, kAttrLeft + i, stored) == 0 ? stored : m_rect[i];
    }
    return QRect(QPoint(int(v[0]), int(v[1])), QSize(int(v[2] - v[0]), int(v[3] - v[1])));
}

QRect LayOutPage(LayoutObject& object, QPainter* painter, const QPaintDevice& device) {
    const QRect inner = DrawPageFrame(painter, device, object.rect(), object.texts(), object.page());
    object.setRect(inner);
    return inner;
}

namespace {

// Device units of a length in millimetres.
int mm(const QPaintDevice& device, double millimetres) {
    return std::max(1, int(std::lround(millimetres * device.logicalDpiY() / 25.4)));
}

QFont frameFont(const QPaintDevice& device, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(mm(device, 3.2));
    f.setBold(bold);
    return f;
}

// One cell of a row: its text, elided to the cell, vertically centred.
void drawCell(QPainter& p, const QPaintDevice& device, const QRect& cell, int pad, const QString& text, bool bold,
              Qt::Alignment align = Qt::AlignLeft) {
    const QFont font = frameFont(device, bold);
    const QFontMetrics fm(font, &device);
    const QRect box = cell.adjusted(pad, 0, -pad, 0);
    p.setFont(font);
    p.drawText(box, int(align | Qt::AlignVCenter), fm.elidedText(text, Qt::ElideRight, box.width()));
}

}  // namespace

QRect DrawPageFrame(QPainter* painter, const QPaintDevice& device, const QRect& area, const Texts& texts,
                    long page) {
    const QFontMetrics fm(frameFont(device, true), &device);
    const int pad = mm(device, 1.5);
    const int pen = mm(device, 0.3);
    const int rowHeight = fm.height() + 2 * pad;
    // The frame's line lies inside the area.
    const QRect frame = area.adjusted(pen / 2, pen / 2, -(pen - pen / 2), -(pen - pen / 2));
    const QRect head(frame.left(), frame.top(), frame.width(), rowHeight);
    const QRect foot(frame.left(), frame.top() + frame.height() - rowHeight, frame.width(), rowHeight);
    const int top = head.top() + head.height() + pen + pad;
    const int bottom = foot.top() - pen - pad;
    const QRect inner(frame.left() + pen + pad, top, std::max(0, frame.width() - 2 * (pen + pad)),
                      std::max(0, bottom - top));
    if (!painter) return inner;

    painter->save();
    painter->setPen(QPen(Qt::black, pen));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(frame);
    const int headBottom = head.top() + head.height();
    painter->drawLine(frame.left(), headBottom, frame.left() + frame.width(), headBottom);
    painter->drawLine(frame.left(), foot.top(), frame.left() + frame.width(), foot.top());

    // The head: texts 1 to 3 and the page number; the foot: texts 4 to 6.
    auto cells = [&](const QRect& row, std::initializer_list<double> shares) {
        std::vector<QRect> out;
        int x = row.left();
        size_t i = 0;
        for (double share : shares) {
            const int right = ++i == shares.size() ? row.left() + row.width() : x + int(row.width() * share);
            out.emplace_back(x, row.top(), right - x, row.height());
            x = right;
        }
        for (size_t c = 1; c < out.size(); ++c)
            painter->drawLine(out[c].left(), row.top(), out[c].left(), row.top() + row.height());
        return out;
    };
    const auto headCells = cells(head, {0.30, 0.30, 0.25, 0.15});
    const auto footCells = cells(foot, {1.0 / 3, 1.0 / 3, 1.0 / 3});
    for (int i = 0; i < 3; ++i) {
        drawCell(*painter, device, headCells[i], pad, QString::fromStdString(texts[i]), i == 0);
        drawCell(*painter, device, footCells[i], pad, QString::fromStdString(texts[3 + i]), false);
    }
    if (page > 0) drawCell(*painter, device, headCells[3], pad, QStringLiteral("Seite %1").arg(page), false, Qt::AlignRight);
    painter->restore();
    return inner;
}

QFont PrintFont(const QPaintDevice& device) {
    // Chosen where the system has no font of that name: the one with the same widths.
    static const bool substituted = [] {
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        return true;
    }();
    (void)substituted;
    QFont f;
    f.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
    f.setStyleHint(QFont::TypeWriter, QFont::PreferMatch);
    f.setFixedPitch(true);
    f.setPixelSize(std::max(1, 41 * device.logicalDpiY() / 300));
    f.setWeight(QFont::Normal);
    f.setKerning(false);
    return f;
}

}  // namespace pagelayout
