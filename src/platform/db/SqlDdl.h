#pragma once
// The statements that change files rather than rows: CREATE TABLE, ALTER TABLE ADD/DROP and
// DROP TABLE are carried out on the table files by the layer itself; CREATE INDEX and
// DROP INDEX are refused, since the layer keeps no index files.

#include "platform/db/SqlLexer.h"

#include <QString>

namespace db {

/// True when `tokens` start a statement that ExecuteDdl carries out (or refuses).
bool IsDdlStatement(const std::vector<SqlToken> &tokens);

/// Carries out the structure statement `sql` on the tables of `folder`. Names without
/// extension get `defaultExtension`. Throws EDatabaseError; a failed statement leaves every
/// file as it was.
void ExecuteDdl(const QString &folder, const QString &defaultExtension, const QString &sql);

} // namespace db
