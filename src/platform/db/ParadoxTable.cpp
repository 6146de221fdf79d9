#include "platform/db/ParadoxTable.h"

#include "platform/db/DatabaseError.h"

namespace db {

struct ParadoxTable::Document {};

std::unique_ptr<ParadoxTable> ParadoxTable::open(const QString &path)
{
    throw EDatabaseError(QStringLiteral("Paradox tables are not available yet: %1").arg(path));
}
void ParadoxTable::create(const QString &path, const std::vector<FieldDef> &) { open(path); }
FieldDef ParadoxTable::checkedField(FieldDef field) { return field; }
void ParadoxTable::restructure(const QString &path, const std::vector<FieldDef> &, const std::vector<int> &) { open(path); }
ParadoxTable::~ParadoxTable() = default;
int ParadoxTable::capabilities() const { return 0; }
int ParadoxTable::slotCount() { return 0; }
bool ParadoxTable::isDeleted(int) { return false; }
QVariant ParadoxTable::value(int, int) { return {}; }
void ParadoxTable::reload(int) {}
void ParadoxTable::check(const Record &, const std::vector<bool> *) {}
void ParadoxTable::update(int, const Record &, const std::vector<bool> &) {}
int ParadoxTable::append(const Record &) { return 0; }
void ParadoxTable::remove(int) {}

} // namespace db
