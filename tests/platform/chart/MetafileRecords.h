#pragma once
// Walks the records of the metafiles the chart writes, for tests: each record with its type and
// parameters, checking the framing (sizes adding up to the file) on the way.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

struct MetafileRecord
{
    uint32_t type = 0;  // EMF record type, or WMF record function
    QByteArray params;  // the bytes after the type (EMF: after type and size)

    int32_t i32(int index) const;  // the index-th 32-bit parameter
    int16_t i16(int index) const;  // the index-th 16-bit parameter
    uint16_t u16(int index) const { return uint16_t(i16(index)); }
};

struct ParsedMetafile
{
    bool valid = false;
    QString problem;  // why not valid
    std::vector<MetafileRecord> records;
    QByteArray header;  // EMF: the header record's parameters; WMF: placeable and META_HEADER bytes

    std::vector<MetafileRecord> ofType(uint32_t type) const;
};

ParsedMetafile parseEmf(const QByteArray &bytes);
ParsedMetafile parseWmf(const QByteArray &bytes);

// Record types used by the tests.
namespace emr {
enum : uint32_t { HEADER = 1, POLYLINE = 4, EOF_ = 14, INTERSECTCLIPRECT = 30, SAVEDC = 33, RESTOREDC = 34, SELECTOBJECT = 37,
                  CREATEPEN = 38, CREATEBRUSHINDIRECT = 39, DELETEOBJECT = 40, RECTANGLE = 43, EXTCREATEFONTINDIRECTW = 82,
                  EXTTEXTOUTW = 84 };
}
namespace meta {
enum : uint32_t { EOF_ = 0x0000, SAVEDC = 0x001E, RESTOREDC = 0x0127, SELECTOBJECT = 0x012D, DELETEOBJECT = 0x01F0,
                  LINETO = 0x0213, MOVETO = 0x0214, CREATEPENINDIRECT = 0x02FA, CREATEFONTINDIRECT = 0x02FB,
                  CREATEBRUSHINDIRECT = 0x02FC, POLYGON = 0x0324, INTERSECTCLIPRECT = 0x0416, RECTANGLE = 0x041B,
                  EXTTEXTOUT = 0x0A32 };
}

/// The text of an EMR_EXTTEXTOUTW record.
QString emfText(const MetafileRecord &record);
/// The bytes of the text of a META_EXTTEXTOUT record.
QByteArray wmfText(const MetafileRecord &record);

/// What a drawing record of a WMF drew with, found by playing the records as a player keeps its
/// object table (created objects fill the lowest free slot), selection, saved states and clip.
struct PlayedShape
{
    uint32_t function = 0;
    MetafileRecord record;
    int penStyle = -1;
    uint32_t penColor = 0;
    int brushStyle = -1;
    uint32_t brushColor = 0;
    int fontEscapement = 0;
    std::vector<int> clip; // left, top, right, bottom of the clip, or empty when none
};

struct PlayedWmf
{
    std::vector<PlayedShape> shapes;
    std::vector<QString> problems; // a selected or deleted slot that is empty, a selected object deleted
    int mostObjects = 0;           // the table size the file needs
};

PlayedWmf playWmf(const ParsedMetafile &file);
