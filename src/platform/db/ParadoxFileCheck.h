#pragma once
// Checks the header and the data block chain of a Paradox table against the file before pxlib
// sees it: pxlib trusts these fields, and inconsistent ones make it loop or read far outside
// the file.

#include <QString>

namespace db {

/// Throws EDatabaseError naming `what` when the Paradox table in `fd` is damaged, protected
/// by a password, or no data table.
void CheckParadoxFile(int fd, const QString &what);

} // namespace db
