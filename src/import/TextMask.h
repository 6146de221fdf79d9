#pragma once
// The mask of a fixed-column text: one character per text column. "[" opens a field, "]"
// closes it, "." fills, "x" is a field of one column. Masks and the names of the grid columns
// are kept in mask files (".msk"): name=value lines with the names "Mask" and "Var1", "Var2", ...

#include "platform/rtl/StringList.h"

#include <QString>
#include <QStringList>

/// One field over the longest line: "[", dots, "]" ("]" for one column); empty when the lines
/// hold no character.
QString DefaultMask(const QStringList &lines);

/// The mask after a click with `caret` characters left of the caret: the characters on both
/// sides of the caret become a field boundary ("]" left, "[" right) where they were "."; a
/// boundary already there is removed; an "x" stays. The first character opens a field when a "]"
/// would come first, and the last closes one when no "]" is right of the caret.
QString ClickMask(const QString &mask, int caret);

/// The mask after typing "x" over the `length` characters from `start` (the character right of
/// the caret when `length` is 0; nothing at the end): they become single-column fields, and the
/// nearest "." on each side not beyond a boundary closes the field before and opens the one after.
QString MarkSingleColumns(const QString &mask, int start, int length);

/// The name=value lines of a mask file. Throws rtl::EInOutError naming the file.
rtl::TStringList ReadMaskFile(const QString &fileName);
/// Writes the lines, each ended by CR LF, replacing the file only once all is written. Throws
/// rtl::EInOutError naming the file.
void WriteMaskFile(const QString &fileName, const rtl::TStringList &lines);
