// Fuzz target for the Paradox reader and writer (pxlib behind the layer's own file check): the
// input is a table file; every record is read, then a record is changed, one appended and one
// removed. The only failure allowed is EDatabaseError; a hang shows as a timeout.

#include "FuzzRecord.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/FileIo.h"
#include "platform/db/ParadoxTable.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kMaxRecords = 2000;

void exercise(db::ParadoxTable &table)
{
    const int count = std::min(table.slotCount(), kMaxRecords);
    const auto &fields = table.fields();
    for (int slot = 0; slot < count; ++slot)
        for (size_t field = 0; field < fields.size(); ++field)
            table.value(slot, int(field));
    db::Record record;
    std::vector<bool> changed;
    FuzzRecord(fields, record, changed);
    auto tolerate = [](auto action) {
        try {
            action();
        } catch (const db::EDatabaseError &) {
        }
    };
    if (count > 0)
        tolerate([&] { table.update(0, record, changed); });
    tolerate([&] { table.append(record); });
    if (table.slotCount() > 0) {
        tolerate([&] { table.value(table.slotCount() - 1, 0); });
        tolerate([&] { table.remove(0); });
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    db::io::FileHandle fd(::memfd_create("table.db", MFD_CLOEXEC));
    if (!fd.valid())
        std::abort();
    if (size > 0)
        db::io::writeAt(fd.get(), data, size, 0, QStringLiteral("fuzz input"));
    try {
        auto table = db::ParadoxTable::open(QStringLiteral("/proc/self/fd/%1").arg(fd.get()));
        exercise(*table);
    } catch (const db::EDatabaseError &) {
    }
    return 0;
}
