#pragma once
// The drawing records that both metafile formats know, as one interface: the paint engine turns
// painter calls into these calls and an EMF or WMF recorder turns them into bytes. Coordinates are
// logical units, one per pixel of the drawn picture, with y growing downwards.

#include <QByteArray>
#include <QPoint>
#include <QPolygon>
#include <QRgb>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

namespace chart::metafile {

// Values of the graphics device interface both formats share.
enum PenStyle : uint16_t { PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5 };
enum BrushStyle : uint16_t { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2 };
enum HatchStyle : uint16_t { HS_HORIZONTAL = 0, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS };
enum PolyFillMode : uint16_t { ALTERNATE = 1, WINDING = 2 };
enum BackgroundMode : uint16_t { TRANSPARENT = 1, OPAQUE = 2 };
enum TextAlignment : uint16_t { TA_LEFT = 0, TA_TOP = 0, TA_BASELINE = 24 };
enum FontWeight : int32_t { FW_NORMAL = 400, FW_BOLD = 700 };

struct Pen
{
    uint16_t style = PS_SOLID;
    int32_t width = 1;
    QRgb color = 0;
    bool operator==(const Pen &) const = default;
};

struct Brush
{
    uint16_t style = BS_SOLID;
    QRgb color = 0;
    uint16_t hatch = 0;
    bool operator==(const Brush &) const = default;
};

struct Font
{
    int32_t height = -12;  ///< negative: character height without internal leading
    int32_t escapement = 0; ///< tenths of a degree, counter-clockwise on screen
    int32_t weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face;
    bool operator==(const Font &) const = default;
};

/// A rectangle given by its edges, as both formats store it.
struct Box
{
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

/// Collects the records of one picture. Objects live in numbered slots: a create call fills the
/// slot the caller names, which must be the lowest free one (the WMF player assigns slots that
/// way), starting at firstSlot().
class MetafileRecorder
{
public:
    virtual ~MetafileRecorder() = default;

    virtual int firstSlot() const = 0;
    virtual void createPen(int slot, const Pen &pen) = 0;
    virtual void createBrush(int slot, const Brush &brush) = 0;
    virtual void createFont(int slot, const Font &font) = 0;
    virtual void selectObject(int slot) = 0;
    virtual void deleteObject(int slot) = 0;

    virtual void setBackgroundMode(BackgroundMode mode) = 0;
    virtual void setTextAlign(uint16_t alignment) = 0;
    virtual void setTextColor(QRgb color) = 0;
    virtual void setPolyFillMode(PolyFillMode mode) = 0;

    virtual void saveDC() = 0;
    /// Returns to the state of the last saveDC().
    virtual void restoreDC() = 0;
    virtual void intersectClipRect(const Box &box) = 0;

    virtual void moveTo(QPoint point) = 0;
    /// Draws from the current position to point, without point's own pixel.
    virtual void lineTo(QPoint point) = 0;
    virtual void polyline(const QPolygon &points) = 0;
    virtual void polygon(const QPolygon &points) = 0;
    virtual void polyPolygon(const std::vector<QPolygon> &polygons) = 0;
    virtual void rectangle(const Box &box) = 0;
    virtual void ellipse(const Box &box) = 0;
    /// Text at the reference point (aligned as set), dx giving the advance of each UTF-16 unit.
    virtual void textOut(QPoint reference, const QString &text, const std::vector<int32_t> &dx) = 0;

    /// Ends the picture and returns the whole file.
    virtual QByteArray finish() = 0;
};

/// Appends little-endian numbers to a byte array, as both formats store them.
class LittleEndianWriter
{
public:
    explicit LittleEndianWriter(QByteArray &bytes) : m_bytes(bytes) {}
    void u8(uint8_t v) { m_bytes.append(char(v)); }
    void u16(uint16_t v) { u8(uint8_t(v)), u8(uint8_t(v >> 8)); }
    void i16(int16_t v) { u16(uint16_t(v)); }
    void u32(uint32_t v) { u16(uint16_t(v)), u16(uint16_t(v >> 16)); }
    void i32(int32_t v) { u32(uint32_t(v)); }
    void f32(float v);
    void zeros(int count) { m_bytes.append(count, '\0'); }
    /// Overwrites four bytes at offset.
    void patchU32(qsizetype offset, uint32_t v);
    void patchU16(qsizetype offset, uint16_t v);
    qsizetype size() const { return m_bytes.size(); }

private:
    QByteArray &m_bytes;
};

/// The 0x00BBGGRR colour reference of both formats.
inline uint32_t colorRef(QRgb color) { return uint32_t(qRed(color)) | uint32_t(qGreen(color)) << 8 | uint32_t(qBlue(color)) << 16; }

} // namespace chart::metafile
