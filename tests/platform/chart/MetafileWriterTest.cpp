// The metafile writer as a paint device: records a painter's drawing as EMF and WMF whose
// framing, object handling, clipping and coordinates a player can rely on.

#include "MetafileRecords.h"

#include "platform/chart/MetafileWriter.h"

#include <QPainter>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>

using chart::MetafileFormat;
using chart::MetafileWriter;

namespace {

QByteArray paint(MetafileFormat format, QSize size, const std::function<void(QPainter &)> &draw)
{
    MetafileWriter device(format, size);
    QPainter painter(&device);
    draw(painter);
    painter.end();
    return device.data();
}

ParsedMetafile paintWmf(const std::function<void(QPainter &)> &draw, QSize size = {200, 100})
{
    return parseWmf(paint(MetafileFormat::Wmf, size, draw));
}

ParsedMetafile paintEmf(const std::function<void(QPainter &)> &draw, QSize size = {200, 100})
{
    return parseEmf(paint(MetafileFormat::Emf, size, draw));
}

uint32_t colorRef(QColor c) { return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16; }

void manyColours(QPainter &painter)
{
    for (int i = 0; i < 300; ++i) {
        if (i % 7 == 0)
            painter.setClipRect(QRect(i % 50, 0, 100, 100));
        if (i % 11 == 0)
            painter.setClipping(false);
        painter.setPen(QColor(i % 256, i / 256, 0));
        painter.setBrush(QColor(0, i % 256, 7));
        painter.drawRect(i % 100, 10, 5, 5);
    }
}

} // namespace

TEST(MetafileWriter, DataIsEmptyUntilThePainterEnds)
{
    MetafileWriter device(MetafileFormat::Emf, {10, 10});
    QPainter painter(&device);
    painter.drawLine(0, 0, 9, 9);
    EXPECT_TRUE(device.data().isEmpty());
    painter.end();
    EXPECT_FALSE(device.data().isEmpty());
}

TEST(MetafileWriter, EmfHeaderCountsTheWholeFile)
{
    const QByteArray bytes = paint(MetafileFormat::Emf, {320, 240}, [](QPainter &p) {
        p.drawLine(0, 0, 100, 100);
        p.drawText(QPointF(10, 20), QStringLiteral("x"));
    });
    const ParsedMetafile emf = parseEmf(bytes);
    ASSERT_TRUE(emf.valid) << emf.problem.toStdString();
    const MetafileRecord &header = emf.records.front();
    EXPECT_EQ(header.i32(0), 0);
    EXPECT_EQ(header.i32(2), 319); // bounds, inclusive
    EXPECT_EQ(header.i32(3), 239);
    EXPECT_EQ(uint32_t(header.i32(8)), 0x464D4520u);
    EXPECT_EQ(header.i32(10), bytes.size());
    EXPECT_EQ(header.i32(11), int(emf.records.size()));
    int highestObject = 0;
    for (uint32_t type : {emr::CREATEPEN, emr::CREATEBRUSHINDIRECT, emr::EXTCREATEFONTINDIRECTW})
        for (const MetafileRecord &create : emf.ofType(type))
            highestObject = std::max(highestObject, create.i32(0));
    EXPECT_GT(header.u16(24), highestObject); // handles
}

TEST(MetafileWriter, WmfHeadersAreConsistent)
{
    const QByteArray bytes = paint(MetafileFormat::Wmf, {320, 240}, manyColours);
    const ParsedMetafile wmf = parseWmf(bytes);
    ASSERT_TRUE(wmf.valid) << wmf.problem.toStdString();
    const auto word = [&](int offset) { return qFromLittleEndian<uint16_t>(bytes.constData() + offset); };
    EXPECT_EQ(qFromLittleEndian<uint32_t>(bytes.constData()), 0x9AC6CDD7u);
    EXPECT_EQ(word(10), 320); // bounding box right
    EXPECT_EQ(word(12), 240);
    EXPECT_EQ(word(14), 96); // units per inch
    uint16_t checksum = 0;
    for (int i = 0; i < 20; i += 2)
        checksum ^= word(i);
    EXPECT_EQ(word(20), checksum);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(bytes.constData() + 28), uint32_t(bytes.size() - 22) / 2);
    const PlayedWmf played = playWmf(wmf);
    EXPECT_GE(word(32), played.mostObjects);
}

TEST(MetafileWriter, ObjectsStayValidForAPlayerThroughEvictionAndSavedStates)
{
    const PlayedWmf played = playWmf(paintWmf(manyColours));
    EXPECT_TRUE(played.problems.empty()) << played.problems.front().toStdString();
    ASSERT_EQ(played.shapes.size(), 300u);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(played.shapes[size_t(i)].penColor, colorRef(QColor(i % 256, i / 256, 0))) << "shape " << i;
        EXPECT_EQ(played.shapes[size_t(i)].brushColor, colorRef(QColor(0, i % 256, 7))) << "shape " << i;
    }
    EXPECT_LE(played.mostObjects, 130);
}

TEST(MetafileWriter, SameObjectsAreCreatedOnce)
{
    const ParsedMetafile wmf = paintWmf([](QPainter &p) {
        p.setPen(Qt::black);
        p.setBrush(Qt::red);
        for (int i = 0; i < 100; ++i)
            p.drawRect(i, i, 3, 3);
    });
    EXPECT_EQ(wmf.ofType(meta::CREATEPENINDIRECT).size(), 1u);
    EXPECT_EQ(wmf.ofType(meta::CREATEBRUSHINDIRECT).size(), 1u);
    EXPECT_EQ(wmf.ofType(meta::RECTANGLE).size(), 100u);
}

TEST(MetafileWriter, ClipChangesBringBackTheRightObjects)
{
    const PlayedWmf played = playWmf(paintWmf([](QPainter &p) {
        p.setBrush(Qt::NoBrush);
        p.setClipRect(QRect(10, 10, 50, 50));
        p.setPen(Qt::red);
        p.drawRect(20, 20, 5, 5);
        p.setPen(Qt::green);
        p.drawRect(20, 20, 5, 5);
        p.setClipRect(QRect(0, 0, 30, 30)); // widening needs the saved state back
        p.drawRect(20, 20, 5, 5);
        p.setClipping(false);
        p.setPen(Qt::blue);
        p.drawRect(20, 20, 5, 5);
        p.setPen(Qt::green);
        p.drawRect(20, 20, 5, 5);
    }));
    ASSERT_TRUE(played.problems.empty()) << played.problems.front().toStdString();
    ASSERT_EQ(played.shapes.size(), 5u);
    const std::vector<uint32_t> pens{colorRef(Qt::red), colorRef(Qt::green), colorRef(Qt::green), colorRef(Qt::blue),
                                     colorRef(Qt::green)};
    const std::vector<std::vector<int>> clips{{10, 10, 60, 60}, {10, 10, 60, 60}, {0, 0, 30, 30}, {}, {}};
    for (size_t i = 0; i < pens.size(); ++i) {
        EXPECT_EQ(played.shapes[i].penColor, pens[i]) << "shape " << i;
        EXPECT_EQ(played.shapes[i].clip, clips[i]) << "shape " << i;
    }
}

TEST(MetafileWriter, RectanglesFollowTheTransformAndCoverQtsPixels)
{
    const ParsedMetafile wmf = paintWmf([](QPainter &p) {
        p.scale(2, 2);
        p.drawRect(QRectF(10, 10, 5, 5));
    });
    const std::vector<MetafileRecord> rectangles = wmf.ofType(meta::RECTANGLE);
    ASSERT_EQ(rectangles.size(), 1u);
    // bottom, right, top, left; players leave out the right and bottom edge
    EXPECT_EQ(rectangles[0].i16(0), 31);
    EXPECT_EQ(rectangles[0].i16(1), 31);
    EXPECT_EQ(rectangles[0].i16(2), 20);
    EXPECT_EQ(rectangles[0].i16(3), 20);
}

TEST(MetafileWriter, FarAwayLinesAreCutWithoutBending)
{
    const ParsedMetafile wmf = paintWmf([](QPainter &p) {
        p.drawLine(QPointF(-1e9, 50), QPointF(1e9, 50));
        p.drawLine(QPointF(0, 0), QPointF(1e7, 1e7));
    });
    const std::vector<MetafileRecord> moves = wmf.ofType(meta::MOVETO), lines = wmf.ofType(meta::LINETO);
    ASSERT_EQ(moves.size(), 2u);
    ASSERT_EQ(lines.size(), 2u);
    // points stored y, x
    EXPECT_EQ(moves[0].i16(0), 50);
    EXPECT_EQ(lines[0].i16(0), 50);
    EXPECT_LT(moves[0].i16(1), 0);
    EXPECT_GT(lines[0].i16(1), 10000);
    EXPECT_EQ(lines[1].i16(0), lines[1].i16(1));
    EXPECT_GT(lines[1].i16(1), 10000);
}

TEST(MetafileWriter, RotatedTextKeepsItsAngle)
{
    const ParsedMetafile emf = paintEmf([](QPainter &p) {
        p.translate(20, 80);
        p.rotate(-90);
        p.drawText(QPointF(0, 0), QStringLiteral("Value"));
    });
    const std::vector<MetafileRecord> fonts = emf.ofType(emr::EXTCREATEFONTINDIRECTW);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0].i32(3), 900); // escapement, after slot, height and width
    const std::vector<MetafileRecord> texts = emf.ofType(emr::EXTTEXTOUTW);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(emfText(texts[0]), QStringLiteral("Value"));
    EXPECT_LT(texts[0].i32(7), 20); // the top of rotated text lies left of its baseline
}

TEST(MetafileWriter, WmfTextUsesTheWesternCodePage)
{
    const ParsedMetafile wmf = paintWmf([](QPainter &p) { p.drawText(QPointF(10, 50), QString::fromUtf8("5 € – é Ω")); });
    QByteArray text; // Qt hands over runs of one font each
    for (const MetafileRecord &record : wmf.ofType(meta::EXTTEXTOUT))
        text += wmfText(record);
    EXPECT_EQ(text, QByteArray("5 \x80 \x96 \xE9 ?"));
}

TEST(MetafileWriter, TransparentBrushAndPenDrawNothing)
{
    const ParsedMetafile emf = paintEmf([](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 0));
        p.drawRect(1, 1, 5, 5);
        p.setClipRect(QRect(500, 500, 10, 10)); // outside the picture
        p.setPen(Qt::black);
        p.drawLine(0, 0, 10, 10);
    });
    EXPECT_TRUE(emf.ofType(emr::RECTANGLE).empty());
    EXPECT_TRUE(emf.ofType(54 /* lineto */).empty());
}
