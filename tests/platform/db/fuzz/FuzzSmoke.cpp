// A short, repeatable run of the dBASE fuzz target for the ordinary test suite: the seed
// tables and a few thousand mutations of them. `fuzz_dbf_smoke --write-seeds DIR` writes the
// seeds as a starting corpus for the libFuzzer build (tests/platform/db/fuzz/run_fuzz.sh).

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

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

std::vector<QByteArray> seeds()
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

void mutate(QByteArray &bytes, std::mt19937 &random)
{
    const int edits = 1 + int(random() % 4);
    for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
        const qsizetype at = qsizetype(random() % uint32_t(bytes.size()));
        switch (random() % 5) {
        case 0: bytes[at] = char(bytes[at] ^ (1 << (random() % 8))); break;
        case 1: bytes[at] = char(random()); break;
        case 2: bytes.truncate(at); break;
        case 3: bytes.insert(at, char(random())); break;
        default: bytes[at] = char(std::array<uint8_t, 6>{0x00, 0xFF, 0x7F, 0x80, 0x1A, 0x0D}[random() % 6]); break;
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write-seeds") == 0) {
        QDir().mkpath(QString::fromLocal8Bit(argv[2]));
        int n = 0;
        for (const QByteArray &seed : seeds()) {
            QFile file(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/seed%1").arg(n++));
            if (!file.open(QIODevice::WriteOnly) || file.write(seed) != seed.size())
                return 1;
        }
        return 0;
    }
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3000;
    std::mt19937 random(20240601);
    const auto corpus = seeds();
    for (const QByteArray &seed : corpus)
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(seed.constData()), size_t(seed.size()));
    for (int round = 0; round < rounds; ++round) {
        QByteArray bytes = corpus[size_t(round) % corpus.size()];
        mutate(bytes, random);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    std::printf("%d inputs run\n", rounds + int(corpus.size()));
    return 0;
}
