#include "EmfRecorder.h"

#include <algorithm>

namespace chart::metafile {

namespace {

enum RecordType : uint32_t {
    EMR_HEADER = 1,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYPOLYGON = 8,
    EMR_EOF = 14,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_MOVETOEX = 27,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_LINETO = 54,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTW = 84,
};

constexpr uint32_t kSignature = 0x464D4520; // " EMF"
constexpr int kDpi = 96;
constexpr double kHundredthMmPerPixel = 2540.0 / kDpi;
// A reference device of 96 pixels per inch whose size in millimetres is a whole number.
constexpr int kDeviceWidthPx = 1920, kDeviceHeightPx = 1440;
constexpr int kDeviceWidthMm = 508, kDeviceHeightMm = 381;
constexpr int kHeaderSize = 108; // with both header extensions
const char16_t kDescription[] = u"Quibo\0Chart\0"; // application and picture, each ended by a null
constexpr uint32_t kDescriptionChars = sizeof kDescription / sizeof(char16_t); // with the final null
constexpr int kLogFontSize = 92, kLogFontPanoseSize = 320;
constexpr int kFaceNameChars = 32;
constexpr uint32_t GM_COMPATIBLE = 1;

Box boundsOf(const std::vector<QPolygon> &polygons)
{
    QRect united;
    for (const QPolygon &polygon : polygons)
        united |= polygon.boundingRect();
    return {united.left(), united.top(), united.right(), united.bottom()};
}

} // namespace

EmfRecorder::EmfRecorder(QSize size) : m_size(size) { writeHeader(); }

void EmfRecorder::writeHeader()
{
    beginRecord(EMR_HEADER);
    writeBox({0, 0, m_size.width() - 1, m_size.height() - 1});
    writeBox({0, 0, qRound(m_size.width() * kHundredthMmPerPixel) - 1, qRound(m_size.height() * kHundredthMmPerPixel) - 1});
    m_out.u32(kSignature);
    m_out.u32(0x00010000); // version
    m_out.u32(0); // bytes, set by finish()
    m_out.u32(0); // records, set by finish()
    m_out.u16(0); // handles, set by finish()
    m_out.u16(0);
    m_out.u32(kDescriptionChars);
    m_out.u32(kHeaderSize);
    m_out.u32(0); // palette entries
    m_out.i32(kDeviceWidthPx), m_out.i32(kDeviceHeightPx);
    m_out.i32(kDeviceWidthMm), m_out.i32(kDeviceHeightMm);
    m_out.u32(0), m_out.u32(0), m_out.u32(0); // no pixel format, no OpenGL
    m_out.u32(kDeviceWidthMm * 1000), m_out.u32(kDeviceHeightMm * 1000);
    for (char16_t c : kDescription)
        m_out.u16(c);
    endRecord();
}

void EmfRecorder::beginRecord(uint32_t type)
{
    m_recordStart = m_out.size();
    m_out.u32(type);
    m_out.u32(0); // size, set by endRecord()
}

void EmfRecorder::endRecord()
{
    while (m_out.size() % 4 != 0)
        m_out.u8(0);
    m_out.patchU32(m_recordStart + 4, uint32_t(m_out.size() - m_recordStart));
    ++m_recordCount;
}

void EmfRecorder::writeBox(const Box &box)
{
    m_out.i32(box.left), m_out.i32(box.top), m_out.i32(box.right), m_out.i32(box.bottom);
}

void EmfRecorder::singleValueRecord(uint32_t type, uint32_t value)
{
    beginRecord(type);
    m_out.u32(value);
    endRecord();
}

void EmfRecorder::pointRecord(uint32_t type, QPoint point)
{
    beginRecord(type);
    m_out.i32(point.x()), m_out.i32(point.y());
    endRecord();
}

void EmfRecorder::boxRecord(uint32_t type, const Box &box)
{
    beginRecord(type);
    writeBox(box);
    endRecord();
}

void EmfRecorder::noteSlot(int slot) { m_highestSlot = std::max(m_highestSlot, slot); }

void EmfRecorder::createPen(int slot, const Pen &pen)
{
    noteSlot(slot);
    beginRecord(EMR_CREATEPEN);
    m_out.u32(uint32_t(slot));
    m_out.u32(pen.style);
    m_out.i32(pen.width), m_out.i32(0);
    m_out.u32(colorRef(pen.color));
    endRecord();
}

void EmfRecorder::createBrush(int slot, const Brush &brush)
{
    noteSlot(slot);
    beginRecord(EMR_CREATEBRUSHINDIRECT);
    m_out.u32(uint32_t(slot));
    m_out.u32(brush.style);
    m_out.u32(colorRef(brush.color));
    m_out.u32(brush.hatch);
    endRecord();
}

void EmfRecorder::createFont(int slot, const Font &font)
{
    noteSlot(slot);
    beginRecord(EMR_EXTCREATEFONTINDIRECTW);
    m_out.u32(uint32_t(slot));
    const qsizetype logFontStart = m_out.size();
    m_out.i32(font.height);
    m_out.i32(0); // width: the face's own
    m_out.i32(font.escapement);
    m_out.i32(font.escapement); // orientation follows the escapement
    m_out.i32(font.weight);
    m_out.u8(font.italic), m_out.u8(font.underline), m_out.u8(font.strikeOut);
    m_out.u8(1); // DEFAULT_CHARSET
    m_out.u8(0), m_out.u8(0); // default output and clipping precision
    m_out.u8(4); // ANTIALIASED_QUALITY
    m_out.u8(0); // default pitch and family
    const QString face = font.face.left(kFaceNameChars - 1);
    for (QChar c : face)
        m_out.u16(c.unicode());
    m_out.zeros(2 * (kFaceNameChars - int(face.size())));
    Q_ASSERT(m_out.size() - logFontStart == kLogFontSize);
    m_out.zeros(kLogFontPanoseSize - kLogFontSize); // full name, style, version, panose: unset
    endRecord();
}

void EmfRecorder::selectObject(int slot) { singleValueRecord(EMR_SELECTOBJECT, uint32_t(slot)); }

void EmfRecorder::deleteObject(int slot) { singleValueRecord(EMR_DELETEOBJECT, uint32_t(slot)); }

void EmfRecorder::setBackgroundMode(BackgroundMode mode) { singleValueRecord(EMR_SETBKMODE, mode); }

void EmfRecorder::setTextAlign(uint16_t alignment) { singleValueRecord(EMR_SETTEXTALIGN, alignment); }

void EmfRecorder::setTextColor(QRgb color) { singleValueRecord(EMR_SETTEXTCOLOR, colorRef(color)); }

void EmfRecorder::setPolyFillMode(PolyFillMode mode) { singleValueRecord(EMR_SETPOLYFILLMODE, mode); }

void EmfRecorder::saveDC()
{
    beginRecord(EMR_SAVEDC);
    endRecord();
}

void EmfRecorder::restoreDC() { singleValueRecord(EMR_RESTOREDC, uint32_t(-1)); }

void EmfRecorder::intersectClipRect(const Box &box) { boxRecord(EMR_INTERSECTCLIPRECT, box); }

void EmfRecorder::moveTo(QPoint point) { pointRecord(EMR_MOVETOEX, point); }

void EmfRecorder::lineTo(QPoint point) { pointRecord(EMR_LINETO, point); }

void EmfRecorder::polyRecord(uint32_t type, const QPolygon &points)
{
    beginRecord(type);
    writeBox(boundsOf({points}));
    m_out.u32(uint32_t(points.size()));
    for (QPoint p : points)
        m_out.i32(p.x()), m_out.i32(p.y());
    endRecord();
}

void EmfRecorder::polyline(const QPolygon &points) { polyRecord(EMR_POLYLINE, points); }

void EmfRecorder::polygon(const QPolygon &points) { polyRecord(EMR_POLYGON, points); }

void EmfRecorder::polyPolygon(const std::vector<QPolygon> &polygons)
{
    beginRecord(EMR_POLYPOLYGON);
    writeBox(boundsOf(polygons));
    m_out.u32(uint32_t(polygons.size()));
    uint32_t total = 0;
    for (const QPolygon &polygon : polygons)
        total += uint32_t(polygon.size());
    m_out.u32(total);
    for (const QPolygon &polygon : polygons)
        m_out.u32(uint32_t(polygon.size()));
    for (const QPolygon &polygon : polygons)
        for (QPoint p : polygon)
            m_out.i32(p.x()), m_out.i32(p.y());
    endRecord();
}

void EmfRecorder::rectangle(const Box &box) { boxRecord(EMR_RECTANGLE, box); }

void EmfRecorder::ellipse(const Box &box) { boxRecord(EMR_ELLIPSE, box); }

void EmfRecorder::textOut(QPoint reference, const QString &text, const std::vector<int32_t> &dx)
{
    Q_ASSERT(dx.size() == size_t(text.size()));
    int32_t width = 0;
    for (int32_t advance : dx)
        width += advance;
    constexpr uint32_t kStringOffset = 76; // record start to the text, after the fixed fields
    const uint32_t stringBytes = uint32_t(text.size()) * 2;
    const uint32_t dxOffset = kStringOffset + (stringBytes + 3) / 4 * 4;

    beginRecord(EMR_EXTTEXTOUTW);
    writeBox({reference.x(), reference.y() - 1, reference.x() + width, reference.y()}); // not used by players
    m_out.u32(GM_COMPATIBLE);
    m_out.f32(float(kHundredthMmPerPixel)), m_out.f32(float(kHundredthMmPerPixel));
    m_out.i32(reference.x()), m_out.i32(reference.y());
    m_out.u32(uint32_t(text.size()));
    m_out.u32(kStringOffset);
    m_out.u32(0); // options: no clipping, no opaque box
    writeBox({0, 0, -1, -1});
    m_out.u32(dxOffset);
    Q_ASSERT(m_out.size() - m_recordStart == kStringOffset);
    for (QChar c : text)
        m_out.u16(c.unicode());
    while (m_out.size() - m_recordStart < dxOffset)
        m_out.u8(0);
    for (int32_t advance : dx)
        m_out.i32(advance);
    endRecord();
}

QByteArray EmfRecorder::finish()
{
    beginRecord(EMR_EOF);
    m_out.u32(0); // no palette
    m_out.u32(16); // where a palette would start
    m_out.u32(20); // this record's size again
    endRecord();
    m_out.patchU32(48, uint32_t(m_bytes.size()));
    m_out.patchU32(52, m_recordCount);
    m_out.patchU16(56, uint16_t(m_highestSlot + 1));
    return m_bytes;
}

} // namespace chart::metafile
