#pragma once
// Records of an enhanced metafile (EMF): a header sized for the picture at 96 pixels per inch,
// 32-bit coordinates, Unicode text.

#include "MetafileRecorder.h"

namespace chart::metafile {

class EmfRecorder final : public MetafileRecorder
{
public:
    /// Starts a picture of size pixels.
    explicit EmfRecorder(QSize size);

    int firstSlot() const override { return 1; } // slot 0 stands for the metafile itself
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

private:
    void beginRecord(uint32_t type);
    void endRecord();
    void singleValueRecord(uint32_t type, uint32_t value);
    void pointRecord(uint32_t type, QPoint point);
    void boxRecord(uint32_t type, const Box &box);
    void polyRecord(uint32_t type, const QPolygon &points);
    void writeBox(const Box &box);
    void writeHeader();
    void noteSlot(int slot);

    QSize m_size;
    QByteArray m_bytes;
    LittleEndianWriter m_out{m_bytes};
    qsizetype m_recordStart = 0;
    uint32_t m_recordCount = 0;
    int m_highestSlot = 0;
};

} // namespace chart::metafile
