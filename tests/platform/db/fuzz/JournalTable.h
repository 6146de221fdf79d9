#pragma once
// The small table the journal fuzz target puts each journal beside: a dBASE table "t.dbf" with
// a memo field and its memo file "t.dbt", two records. A journal's file entries may name the
// device and inode of these files by place-holders, which the target fills in.

#include <QByteArray>

struct JournalTableFiles
{
    QByteArray table;
    QByteArray memo;
};

/// The bytes of the table and of its memo file, made once.
const JournalTableFiles &JournalTable();

/// Place-holders of eight bytes for the device and inode of the table, its memo file and a
/// file of another table beside them ("T.DBT", the memo of "T.DBF").
inline constexpr char kTableDevice[] = "@DEV-DBF";
inline constexpr char kTableInode[] = "@INO-DBF";
inline constexpr char kMemoDevice[] = "@DEV-DBT";
inline constexpr char kMemoInode[] = "@INO-DBT";
inline constexpr char kOtherDevice[] = "@DEV-OTH";
inline constexpr char kOtherInode[] = "@INO-OTH";
