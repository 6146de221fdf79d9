#pragma once
// Records of a Windows metafile (WMF) with the placeable header: 16-bit coordinates at 96 logical
// units per inch, text in the Western Windows code page.

#include "MetafileRecorder.h"

namespace chart::metafile {

class WmfRecorder final : public MetafileRecorder
{
public:
    /// Starts a picture of size pixels; coordinates beyond the 16-bit range are clamped.
    explicit WmfRecorder(QSize size);

    int firstSlot() const override { return 0; }
    void createPen(int slot, const Pen &pen) override;
    void createBrush(int slot, const Brush &brush) override;
    void createFont(int slot, const Font &font) override;
    void selectObject(int slot) override;
    void deleteObject(int slot) override;

    void setBackgroundMode(BackgroundMode mode) override;
    void setTextAlign(uint16_t alignment) override;
    void setTextColor(QRgb color) override;
    void setPolyFillMode(PolyFillMode mode) override;

    void saveDC() override;
    void restoreDC() override;
    void intersectClipRect(const Box &box) override;

    void moveTo(QPoint point) override;
    void lineTo(QPoint point) override;
    void polyline(const QPolygon &points) override;
    void polygon(const QPolygon &points) override;
    void polyPolygon(const std::vector<QPolygon> &polygons) override;
    void rectangle(const Box &box) override;
    void ellipse(const Box &box) override;
    void textOut(QPoint reference, const QString &text, const std::vector<int32_t> &dx) override;

    QByteArray finish() override;

    /// The text in code page 1252, one byte per character, '?' for what the code page lacks.
    static QByteArray toWindows1252(const QString &text);

private:
    void beginRecord(uint16_t function);
    void endRecord();
    void wordRecord(uint16_t function, uint16_t value);
    void pointRecord(uint16_t function, QPoint point);
    void boxRecord(uint16_t function, const Box &box);
    void writePoints(const QPolygon &points);
    void coordinate(int32_t value);
    void writeHeaders();
    void noteSlot(int slot);

    QSize m_size;
    QByteArray m_bytes;
    LittleEndianWriter m_out{m_bytes};
    qsizetype m_recordStart = 0;
    uint32_t m_largestRecordWords = 0;
    int m_highestSlot = -1;
};

} // namespace chart::metafile
