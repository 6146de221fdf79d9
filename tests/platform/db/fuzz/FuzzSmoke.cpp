// A short, repeatable run of a fuzz target for the ordinary test suite: the target's seed
// tables and a few thousand mutations of them. `fuzz_..._smoke --write-seeds DIR` writes the
// seeds as a starting corpus for the libFuzzer build (tests/platform/db/fuzz/run_fuzz.sh).

#include "FuzzSeeds.h"

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

void mutate(QByteArray &bytes, std::mt19937 &random)
{
    const int edits = 1 + int(random() % 4);
    for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
        // Half of the edits go to the header, where one byte changes the most.
        const uint32_t span = random() % 2 == 0 ? std::min<uint32_t>(uint32_t(bytes.size()), 256) : uint32_t(bytes.size());
        const qsizetype at = qsizetype(random() % span);
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
        for (const QByteArray &seed : FuzzSeeds()) {
            QFile file(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/seed%1").arg(n++));
            if (!file.open(QIODevice::WriteOnly) || file.write(seed) != seed.size())
                return 1;
        }
        return 0;
    }
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3000;
    std::mt19937 random(20240601);
    const auto corpus = FuzzSeeds();
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
