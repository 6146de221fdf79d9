#include "WmfRecorder.h"

#include <algorithm>
#include <limits>

namespace chart::metafile {

namespace {

enum RecordFunction : uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_SETBKMODE = 0x0102,
    META_SETPOLYFILLMODE = 0x0106,
    META_RESTOREDC = 0x0127,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DELETEOBJECT = 0x01F0,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_POLYPOLYGON = 0x0538,
    META_EXTTEXTOUT = 0x0A32,
};

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint16_t kUnitsPerInch = 96;
constexpr int kPlaceableSize = 22;
constexpr int kHeaderWords = 9;
constexpr int kMaxPoints = std::numeric_limits<int16_t>::max(); // counts are 16-bit
constexpr int kFaceNameBytes = 32;

int16_t clamp16(int32_t value)
{
    return int16_t(std::clamp<int32_t>(value, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

// Code page 1252 at 0x80..0x9F; the rest of its upper half equals Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

char toCp1252(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == c && c != 0)
            return char(0x80 + i);
    return '?';
}

// A polygon with at most kMaxPoints points: every k-th point of a longer one.
QPolygon thinned(const QPolygon &points)
{
    if (points.size() <= kMaxPoints)
        return points;
    const qsizetype step = (points.size() + kMaxPoints - 1) / kMaxPoints;
    QPolygon result;
    for (qsizetype i = 0; i < points.size(); i += step)
        result.append(points[i]);
    return result;
}

} // namespace

WmfRecorder::WmfRecorder(QSize size) : m_size(size) { writeHeaders(); }

void WmfRecorder::writeHeaders()
{
    m_out.u32(kPlaceableKey);
    m_out.u16(0); // no handle on disk
    m_out.i16(0), m_out.i16(0), m_out.i16(clamp16(m_size.width())), m_out.i16(clamp16(m_size.height()));
    m_out.u16(kUnitsPerInch);
    m_out.u32(0);
    uint16_t checksum = 0;
    for (int i = 0; i < 20; i += 2)
        checksum ^= uint16_t(uint8_t(m_bytes[i]) | uint8_t(m_bytes[i + 1]) << 8);
    m_out.u16(checksum);

    m_out.u16(1); // a metafile on disk
    m_out.u16(kHeaderWords);
    m_out.u16(0x0300); // version with device-independent bitmaps
    m_out.u32(0); // size in words, set by finish()
    m_out.u16(0); // number of objects, set by finish()
    m_out.u32(0); // largest record in words, set by finish()
    m_out.u16(0);

    pointRecord(META_SETWINDOWORG, {0, 0});
    pointRecord(META_SETWINDOWEXT, {m_size.width(), m_size.height()});
}

void WmfRecorder::beginRecord(uint16_t function)
{
    m_recordStart = m_out.size();
    m_out.u32(0); // size in words, set by endRecord()
    m_out.u16(function);
}

void WmfRecorder::endRecord()
{
    if (m_out.size() % 2 != 0)
        m_out.u8(0);
    const auto words = uint32_t((m_out.size() - m_recordStart) / 2);
    m_out.patchU32(m_recordStart, words);
    m_largestRecordWords = std::max(m_largestRecordWords, words);
}

void WmfRecorder::coordinate(int32_t value) { m_out.i16(clamp16(value)); }

void WmfRecorder::wordRecord(uint16_t function, uint16_t value)
{
    beginRecord(function);
    m_out.u16(value);
    endRecord();
}

// Points of single records are stored y first.
void WmfRecorder::pointRecord(uint16_t function, QPoint point)
{
    beginRecord(function);
    coordinate(point.y()), coordinate(point.x());
    endRecord();
}

// Rectangles of single records are stored bottom, right, top, left.
void WmfRecorder::boxRecord(uint16_t function, const Box &box)
{
    beginRecord(function);
    coordinate(box.bottom), coordinate(box.right), coordinate(box.top), coordinate(box.left);
    endRecord();
}

void WmfRecorder::writePoints(const QPolygon &points)
{
    for (QPoint p : points)
        coordinate(p.x()), coordinate(p.y());
}

void WmfRecorder::noteSlot(int slot) { m_highestSlot = std::max(m_highestSlot, slot); }

void WmfRecorder::createPen(int slot, const Pen &pen)
{
    noteSlot(slot);
    beginRecord(META_CREATEPENINDIRECT);
    m_out.u16(pen.style);
    coordinate(pen.width), m_out.i16(0);
    m_out.u32(colorRef(pen.color));
    endRecord();
}

void WmfRecorder::createBrush(int slot, const Brush &brush)
{
    noteSlot(slot);
    beginRecord(META_CREATEBRUSHINDIRECT);
    m_out.u16(brush.style);
    m_out.u32(colorRef(brush.color));
    m_out.u16(brush.hatch);
    endRecord();
}

void WmfRecorder::createFont(int slot, const Font &font)
{
    noteSlot(slot);
    beginRecord(META_CREATEFONTINDIRECT);
    coordinate(font.height);
    m_out.i16(0); // width: the face's own
    m_out.i16(clamp16(font.escapement));
    m_out.i16(clamp16(font.escapement));
    m_out.i16(clamp16(font.weight));
    m_out.u8(font.italic), m_out.u8(font.underline), m_out.u8(font.strikeOut);
    m_out.u8(0); // ANSI_CHARSET: the text is in code page 1252
    m_out.u8(0), m_out.u8(0);
    m_out.u8(4); // ANTIALIASED_QUALITY
    m_out.u8(0);
    const QByteArray face = font.face.toLatin1().left(kFaceNameBytes - 1);
    m_bytes.append(face);
    m_out.zeros(kFaceNameBytes - int(face.size()));
    endRecord();
}

void WmfRecorder::selectObject(int slot) { wordRecord(META_SELECTOBJECT, uint16_t(slot)); }

void WmfRecorder::deleteObject(int slot) { wordRecord(META_DELETEOBJECT, uint16_t(slot)); }

void WmfRecorder::setBackgroundMode(BackgroundMode mode) { wordRecord(META_SETBKMODE, mode); }

void WmfRecorder::setTextAlign(uint16_t alignment) { wordRecord(META_SETTEXTALIGN, alignment); }

void WmfRecorder::setTextColor(QRgb color)
{
    beginRecord(META_SETTEXTCOLOR);
    m_out.u32(colorRef(color));
    endRecord();
}

void WmfRecorder::setPolyFillMode(PolyFillMode mode) { wordRecord(META_SETPOLYFILLMODE, mode); }

void WmfRecorder::saveDC()
{
    beginRecord(META_SAVEDC);
    endRecord();
}

void WmfRecorder::restoreDC() { wordRecord(META_RESTOREDC, uint16_t(-1)); }

void WmfRecorder::intersectClipRect(const Box &box) { boxRecord(META_INTERSECTCLIPRECT, box); }

void WmfRecorder::moveTo(QPoint point) { pointRecord(META_MOVETO, point); }

void WmfRecorder::lineTo(QPoint point) { pointRecord(META_LINETO, point); }

void WmfRecorder::polyline(const QPolygon &points)
{
    // A chain of line records draws the same as a polyline record, and common readers that turn
    // polyline records into SVG forget to leave them unfilled.
    if (points.size() < 2)
        return;
    moveTo(points.first());
    for (qsizetype i = 1; i < points.size(); ++i)
        lineTo(points[i]);
}

void WmfRecorder::polygon(const QPolygon &points)
{
    const QPolygon kept = thinned(points);
    beginRecord(META_POLYGON);
    m_out.i16(int16_t(kept.size()));
    writePoints(kept);
    endRecord();
}

void WmfRecorder::polyPolygon(const std::vector<QPolygon> &polygons)
{
    std::vector<QPolygon> kept;
    for (const QPolygon &polygon : polygons)
        kept.push_back(thinned(polygon));
    beginRecord(META_POLYPOLYGON);
    m_out.u16(uint16_t(kept.size()));
    for (const QPolygon &polygon : kept)
        m_out.u16(uint16_t(polygon.size()));
    for (const QPolygon &polygon : kept)
        writePoints(polygon);
    endRecord();
}

void WmfRecorder::rectangle(const Box &box) { boxRecord(META_RECTANGLE, box); }

void WmfRecorder::ellipse(const Box &box) { boxRecord(META_ELLIPSE, box); }

QByteArray WmfRecorder::toWindows1252(const QString &text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            bytes.append('?');
            ++i;
        } else {
            bytes.append(toCp1252(text[i].unicode()));
        }
    }
    return bytes;
}

void WmfRecorder::textOut(QPoint reference, const QString &text, const std::vector<int32_t> &)
{
    // Without advances readers keep the text as one string (with them some split it into
    // letters); the face's own widths differ little from ours.
    const QByteArray bytes = toWindows1252(text).left(kMaxPoints);
    beginRecord(META_EXTTEXTOUT);
    coordinate(reference.y()), coordinate(reference.x());
    m_out.i16(int16_t(bytes.size()));
    m_out.u16(0); // options: no clipping, no opaque box, hence no rectangle
    m_bytes.append(bytes);
    if (bytes.size() % 2 != 0)
        m_out.u8(0);
    endRecord();
}

QByteArray WmfRecorder::finish()
{
    beginRecord(META_EOF);
    endRecord();
    m_out.patchU32(kPlaceableSize + 6, uint32_t((m_bytes.size() - kPlaceableSize) / 2));
    m_out.patchU16(kPlaceableSize + 10, uint16_t(m_highestSlot + 1));
    m_out.patchU32(kPlaceableSize + 12, m_largestRecordWords);
    return m_bytes;
}

} // namespace chart::metafile
