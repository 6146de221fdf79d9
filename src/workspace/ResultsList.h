#pragma once
// The results of the current analysis as name=value lines: whether the values were
// LOG-transformed, the size, STD and average of every class, and every regression subtracted
// from the data. The main window keeps the list; the clipboard and the output table's memo get
// its text, and a later run reads class sizes and regressions back from it.

#include "Analysis.h"

#include "platform/rtl/StringList.h"

class TStatistics;

/// The class letter of 0-based class number c: 'A' + c (continuing after 'Z').
QChar ClassResultLetter(int c);

/// "class_" + the class letter.
QString ClassResultKey(int c);

/// The value of entry `key` matched exactly (class keys beyond "Z" differ only in letter case);
/// '' when there is none.
QString ResultValue(const rtl::TStringList &results, const QString &key);

/// The lines of the list, each ended by CR LF: the text for the clipboard and the output memo.
QString ResultsText(const rtl::TStringList &results);

/// General number text with 6 significant digits and the locale's decimal separator.
QString G6(double value);

/// "(n <size>; std <g6 Std>; avg <g6 Average>)".
QString ClassResultText(const TClassRec &cls);

/// Starts the list of a new read: only "log" = "1" or "0".
void ResetResults(rtl::TStringList &results, bool logTransform);

/// Writes an entry per class in order (replacing entries in place, appending new ones), then
/// removes the entries of letters after the last class up to the first letter that has none.
void StoreClassResults(rtl::TStringList &results, const std::vector<TJudgedClass> &classes);

/// Writes regression `number`: "number_of_regression", its degree "regression<n>" and its
/// coefficients "regression<n>_c<k>" (k = 0 .. degree) with 15 significant digits.
void StoreRegression(rtl::TStringList &results, int number, const TStatistics &stat);
