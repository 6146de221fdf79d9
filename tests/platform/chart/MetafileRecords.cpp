#include "MetafileRecords.h"

#include <QtEndian>

#include <algorithm>
#include <optional>

int32_t MetafileRecord::i32(int index) const
{
    return index * 4 + 4 <= params.size() ? qFromLittleEndian<int32_t>(params.constData() + index * 4) : 0;
}

int16_t MetafileRecord::i16(int index) const
{
    return index * 2 + 2 <= params.size() ? qFromLittleEndian<int16_t>(params.constData() + index * 2) : 0;
}

std::vector<MetafileRecord> ParsedMetafile::ofType(uint32_t type) const
{
    std::vector<MetafileRecord> found;
    for (const MetafileRecord &record : records)
        if (record.type == type)
            found.push_back(record);
    return found;
}

namespace {

uint32_t u32At(const QByteArray &bytes, qsizetype offset) { return qFromLittleEndian<uint32_t>(bytes.constData() + offset); }
uint16_t u16At(const QByteArray &bytes, qsizetype offset) { return qFromLittleEndian<uint16_t>(bytes.constData() + offset); }

ParsedMetafile failed(ParsedMetafile parsed, const QString &problem)
{
    parsed.valid = false;
    parsed.problem = problem;
    return parsed;
}

} // namespace

ParsedMetafile parseEmf(const QByteArray &bytes)
{
    ParsedMetafile parsed;
    qsizetype offset = 0;
    while (offset + 8 <= bytes.size()) {
        const uint32_t type = u32At(bytes, offset), size = u32At(bytes, offset + 4);
        if (size < 8 || size % 4 != 0 || offset + size > bytes.size())
            return failed(parsed, QStringLiteral("bad record size %1 at %2").arg(size).arg(offset));
        parsed.records.push_back({type, bytes.mid(offset + 8, size - 8)});
        offset += size;
        if (type == emr::EOF_)
            break;
    }
    if (offset != bytes.size())
        return failed(parsed, QStringLiteral("records end at %1 of %2 bytes").arg(offset).arg(bytes.size()));
    if (parsed.records.empty() || parsed.records.front().type != emr::HEADER || parsed.records.back().type != emr::EOF_)
        return failed(parsed, QStringLiteral("no header or no end record"));
    parsed.header = parsed.records.front().params;
    parsed.valid = true;
    return parsed;
}

ParsedMetafile parseWmf(const QByteArray &bytes)
{
    ParsedMetafile parsed;
    constexpr int kPlaceable = 22, kHeader = 18;
    if (bytes.size() < kPlaceable + kHeader)
        return failed(parsed, QStringLiteral("too short"));
    parsed.header = bytes.left(kPlaceable + kHeader);
    qsizetype offset = kPlaceable + kHeader;
    while (offset + 6 <= bytes.size()) {
        const uint32_t words = u32At(bytes, offset);
        const uint16_t function = u16At(bytes, offset + 4);
        if (words < 3 || offset + 2 * qsizetype(words) > bytes.size())
            return failed(parsed, QStringLiteral("bad record size %1 at %2").arg(words).arg(offset));
        parsed.records.push_back({function, bytes.mid(offset + 6, 2 * qsizetype(words) - 6)});
        offset += 2 * qsizetype(words);
        if (function == meta::EOF_)
            break;
    }
    if (offset != bytes.size())
        return failed(parsed, QStringLiteral("records end at %1 of %2 bytes").arg(offset).arg(bytes.size()));
    if (parsed.records.empty() || parsed.records.back().type != meta::EOF_)
        return failed(parsed, QStringLiteral("no end record"));
    parsed.valid = true;
    return parsed;
}

QString emfText(const MetafileRecord &record)
{
    // The parameters start 8 bytes into the record: chars at 36, string offset at 40 (from the record's start).
    const int chars = record.i32(9), offset = record.i32(10) - 8;
    QString text;
    for (int i = 0; i < chars; ++i)
        text.append(QChar(qFromLittleEndian<uint16_t>(record.params.constData() + offset + 2 * i)));
    return text;
}

QByteArray wmfText(const MetafileRecord &record) { return record.params.mid(8, record.i16(2)); }

namespace {

struct PlayerObject
{
    uint32_t kind = 0; // the create function
    MetafileRecord record;
};

struct PlayerState
{
    int selected[3] = {-1, -1, -1}; // pen, brush, font
    std::vector<int> clip;
};

int kindIndex(uint32_t createFunction)
{
    return createFunction == meta::CREATEPENINDIRECT ? 0 : createFunction == meta::CREATEBRUSHINDIRECT ? 1 : 2;
}

bool isDrawing(uint32_t function)
{
    return function == meta::LINETO || function == meta::POLYGON || function == meta::RECTANGLE || function == 0x0418 /* ellipse */
           || function == 0x0538 /* polypolygon */ || function == meta::EXTTEXTOUT;
}

uint32_t colorAt(const MetafileRecord &record, int wordIndex)
{
    return uint32_t(record.u16(wordIndex)) | uint32_t(record.u16(wordIndex + 1)) << 16;
}

} // namespace

PlayedWmf playWmf(const ParsedMetafile &file)
{
    PlayedWmf played;
    std::vector<std::optional<PlayerObject>> table;
    PlayerState state;
    std::vector<PlayerState> saved;
    auto objectAt = [&](int slot) -> const PlayerObject * {
        return slot >= 0 && slot < int(table.size()) && table[size_t(slot)] ? &*table[size_t(slot)] : nullptr;
    };
    for (const MetafileRecord &record : file.records) {
        const uint32_t f = record.type;
        if (f == meta::CREATEPENINDIRECT || f == meta::CREATEBRUSHINDIRECT || f == meta::CREATEFONTINDIRECT) {
            size_t slot = 0;
            while (slot < table.size() && table[slot])
                ++slot;
            if (slot == table.size())
                table.emplace_back();
            table[slot] = PlayerObject{f, record};
            played.mostObjects = std::max(played.mostObjects, int(table.size()));
        } else if (f == meta::SELECTOBJECT) {
            const int slot = record.i16(0);
            if (const PlayerObject *object = objectAt(slot))
                state.selected[kindIndex(object->kind)] = slot;
            else
                played.problems.push_back(QStringLiteral("select of empty slot %1").arg(slot));
        } else if (f == meta::DELETEOBJECT) {
            const int slot = record.i16(0);
            bool inUse = std::find(std::begin(state.selected), std::end(state.selected), slot) != std::end(state.selected);
            for (const PlayerState &s : saved)
                inUse = inUse || std::find(std::begin(s.selected), std::end(s.selected), slot) != std::end(s.selected);
            if (!objectAt(slot))
                played.problems.push_back(QStringLiteral("delete of empty slot %1").arg(slot));
            else if (inUse)
                played.problems.push_back(QStringLiteral("delete of selected slot %1").arg(slot));
            else
                table[size_t(slot)].reset();
        } else if (f == meta::SAVEDC) {
            saved.push_back(state);
        } else if (f == meta::RESTOREDC) {
            if (saved.empty())
                played.problems.push_back(QStringLiteral("restore without save"));
            else
                state = saved.back(), saved.pop_back();
        } else if (f == meta::INTERSECTCLIPRECT) {
            // stored bottom, right, top, left
            std::vector<int> rect{record.i16(3), record.i16(2), record.i16(1), record.i16(0)};
            if (!state.clip.empty())
                rect = {std::max(rect[0], state.clip[0]), std::max(rect[1], state.clip[1]), std::min(rect[2], state.clip[2]),
                        std::min(rect[3], state.clip[3])};
            state.clip = rect;
        } else if (isDrawing(f)) {
            PlayedShape shape;
            shape.function = f;
            shape.record = record;
            shape.clip = state.clip;
            if (const PlayerObject *pen = objectAt(state.selected[0]))
                shape.penStyle = pen->record.u16(0), shape.penColor = colorAt(pen->record, 3);
            if (const PlayerObject *brush = objectAt(state.selected[1]))
                shape.brushStyle = brush->record.u16(0), shape.brushColor = colorAt(brush->record, 1);
            if (const PlayerObject *font = objectAt(state.selected[2]))
                shape.fontEscapement = font->record.i16(2);
            played.shapes.push_back(shape);
        }
    }
    return played;
}
