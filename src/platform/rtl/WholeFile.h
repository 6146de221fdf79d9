#pragma once
// Writing a file whole or not at all. The bytes go to a new file beside the target, and only
// when every write has been counted in full, the file has reached the disk and its size is
// the size written does it replace the target. On any failure the new file is removed, the
// earlier file stays as it was, and EInOutError names the file and the system's reason.
// Every program file written in one piece (settings, histories, masks, query files, chart
// files and pictures, text tables, the automation's activation file) is written this way.

#include "platform/rtl/SysUtils.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace rtl {

/// Whether a whole file may take the place of a file of its name, or only a name no file has.
enum class WholeFileTarget { Replace, CreateNew };

/// A file being written in pieces; nothing of it is visible under its name until `commit`.
class WholeFileWriter
{
public:
    /// Creates the new file beside `fileName` (through symbolic links: the file their chain ends in).
    /// Throws EInOutError when the file cannot be created or an existing file is read-only,
    /// or, for `CreateNew`, when a file of that name exists.
    explicit WholeFileWriter(const QString &fileName, WholeFileTarget target = WholeFileTarget::Replace);
    /// Removes the new file unless it was committed.
    ~WholeFileWriter();
    WholeFileWriter(const WholeFileWriter &) = delete;
    WholeFileWriter &operator=(const WholeFileWriter &) = delete;

    /// Appends `bytes`; throws EInOutError when not all of them could be written.
    void write(QByteArrayView bytes);
    /// Puts the file in place of the target: flushes it to the disk, checks its size and
    /// renames it (for `CreateNew`, links it, which refuses a name another file took
    /// meanwhile). Throws EInOutError (and removes the new file) when any step fails.
    void commit();

    /// The name the file gets.
    const QString &fileName() const { return m_fileName; }

private:
    [[noreturn]] void fail(const char *action, int error);
    void discard() noexcept;

    QString m_fileName;
    QByteArray m_target;    ///< the name on disk the file replaces (links followed)
    QByteArray m_temporary; ///< the new file's name while it is written
    WholeFileTarget m_mode;
    int m_fd = -1;
    int64_t m_written = 0;
};

/// Writes `contents` as the whole file `fileName`, as WholeFileWriter does.
void WriteWholeFile(const QString &fileName, QByteArrayView contents,
                    WholeFileTarget target = WholeFileTarget::Replace);

/// Removes the new files that writers of `fileName` (a symbolic link is followed) left behind
/// when their process was killed: those beside its target named as a writer names them, that
/// no process holds any more (a writer holds its new file locked until it is in place).
void RemoveLeftoverNewFiles(const QString &fileName) noexcept;

/// The message for a failed file operation: "Cannot <action> the file <name>: <reason>", the
/// reason being the system's text for `error` (an errno value).
QString FileErrorMessage(const char *action, const QString &fileName, int error);

} // namespace rtl
