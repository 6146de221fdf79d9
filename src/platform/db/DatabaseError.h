#pragma once
// The one exception type of the database layer.

#include "platform/rtl/SysUtils.h"

namespace db {

/// Raised by every operation of the database layer that fails: a table that cannot be opened, a
/// corrupt file, a statement the engine rejects, a value that does not fit its field, an
/// operation in the wrong dataset state. The message names the cause.
class EDatabaseError : public rtl::Exception
{
public:
    using rtl::Exception::Exception;
};

} // namespace db
