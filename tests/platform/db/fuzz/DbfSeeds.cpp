// Seed inputs of the dBASE fuzz target: two bytes giving the table's length, the table, then
// its memo file.

#include "FuzzSeeds.h"

#include <cstdint>
#include <cstring>

namespace {

QByteArray header(uint8_t version, const std::vector<std::pair<QByteArray, std::pair<char, int>>> &fields, int records)
{
    const int headerLength = 32 + 32 * int(fields.size()) + 1;
    int recordLength = 1;
    for (const auto &field : fields)
        recordLength += field.second.second;
    QByteArray bytes(headerLength, '\0');
    bytes[0] = char(version);
    bytes[4] = char(records);
    bytes[8] = char(headerLength & 0xFF);
    bytes[9] = char(headerLength >> 8);
    bytes[10] = char(recordLength & 0xFF);
    bytes[11] = char(recordLength >> 8);
    bytes[29] = char(0xC8);
    for (size_t i = 0; i < fields.size(); ++i) {
        const int at = 32 + 32 * int(i);
        std::memcpy(bytes.data() + at, fields[i].first.constData(), size_t(fields[i].first.size()));
        bytes[at + 11] = fields[i].second.first;
        bytes[at + 16] = char(fields[i].second.second);
        bytes[at + 17] = fields[i].second.first == 'N' ? 2 : 0;
    }
    bytes[headerLength - 1] = '\x0D';
    return bytes;
}

QByteArray input(const QByteArray &table, const QByteArray &memo)
{
    QByteArray bytes(2, '\0');
    bytes[0] = char(table.size() & 0xFF);
    bytes[1] = char((table.size() >> 8) & 0xFF);
    return bytes + table + memo;
}

} // namespace

std::vector<QByteArray> FuzzSeeds()
{
    std::vector<QByteArray> result;
    const auto fields = std::vector<std::pair<QByteArray, std::pair<char, int>>>{
        {"NAME", {'C', 6}}, {"X", {'N', 8}}, {"DAY", {'D', 8}}, {"OK", {'L', 1}}, {"NOTE", {'M', 10}}};
    QByteArray memo3(512, '\0');
    memo3[0] = 2;
    memo3 += QByteArray("one\r\ntwo\x1A\x1A").leftJustified(512, '\0');
    QByteArray memo4(64, '\0');
    memo4[0] = 2;
    memo4[20] = 64;
    memo4 += QByteArray("\xFF\xFF\x08\x00\x0E\x00\x00\x00memo!!", 14).leftJustified(64, '\0');
    const QByteArray record = QByteArray(" ab       12.5020200101T         1") + QByteArray("*xy        -1.0019991231F          ");
    result.push_back(input(header(0x83, fields, 2) + record + '\x1A', memo3));
    result.push_back(input(header(0x8B, fields, 2) + record + '\x1A', memo4));
    result.push_back(input(header(0x03, {{"ID", {'N', 4}}}, 1) + "    7\x1A", {}));
    return result;
}

