// Fuzz target for the dBASE reader and writer: the input is a table file and its memo file;
// every record is read, then a record is changed and one appended. The only failure allowed
// is EDatabaseError.

#include "FuzzRecord.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/DbfTable.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxRecords = 2000;

db::io::FileHandle memoryFile(const char *name, const uint8_t *data, size_t size)
{
    db::io::FileHandle fd(::memfd_create(name, MFD_CLOEXEC));
    if (!fd.valid())
        std::abort();
    if (size > 0)
        db::io::writeAt(fd.get(), data, size, 0, QStringLiteral("fuzz input"));
    return fd;
}

void exercise(db::DbfTable &table)
{
    const int count = std::min(table.slotCount(), kMaxRecords);
    const auto &fields = table.fields();
    for (int slot = 0; slot < count; ++slot) {
        table.isDeleted(slot);
        for (size_t field = 0; field < fields.size(); ++field)
            table.value(slot, int(field));
    }
    db::Record record;
    std::vector<bool> changed;
    FuzzRecord(fields, record, changed);
    if (count > 0) {
        try {
            table.update(0, record, changed);
        } catch (const db::EDatabaseError &) {
        }
    }
    table.append(record);
    table.value(table.slotCount() - 1, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first two bytes tell how much of the rest is the table; the remainder is the memo.
    if (size < 2)
        return 0;
    const size_t tableSize = std::min<size_t>(size - 2, size_t(data[0]) | (size_t(data[1]) << 8));
    const uint8_t *tableData = data + 2;
    const uint8_t *memoData = tableData + tableSize;
    const size_t memoSize = size - 2 - tableSize;
    try {
        db::DbfTable table(memoryFile("table", tableData, tableSize), true,
                           memoryFile("memo", memoData, memoSize), true, QStringLiteral("fuzz.dbf"));
        exercise(table);
    } catch (const db::EDatabaseError &) {
    }
    return 0;
}
