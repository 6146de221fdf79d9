#include "TextMask.h"

#include "workspace/TextLines.h"

namespace {

constexpr QChar kOpen = u'[';
constexpr QChar kClose = u']';
constexpr QChar kFill = u'.';
constexpr QChar kSingle = u'x';

// A filler becomes `boundary`, an "x" stays, anything else (a boundary) becomes a filler.
QChar toggled(QChar c, QChar boundary)
{
    if (c == kFill)
        return boundary;
    return c == kSingle ? c : kFill;
}

} // namespace

QString DefaultMask(const QStringList &lines)
{
    qsizetype longest = 0;
    for (const QString &line : lines)
        longest = std::max(longest, line.size());
    if (longest == 0)
        return {};
    if (longest == 1)
        return QString(kClose);
    return kOpen + QString(longest - 2, kFill) + kClose;
}

QString ClickMask(const QString &mask, int caret)
{
    if (mask.isEmpty())
        return mask;
    QString s = mask;
    caret = std::clamp(caret, 0, int(s.size()));
    if (caret > 0)
        s[caret - 1] = toggled(s[caret - 1], kClose);
    if (caret < s.size())
        s[caret] = toggled(s[caret], kOpen);
    const qsizetype firstOpen = s.indexOf(kOpen);
    const qsizetype firstClose = s.indexOf(kClose);
    if (firstOpen >= 0 && firstClose < firstOpen)
        s[0] = kOpen;
    if (s.indexOf(kClose, caret) < 0)
        s[s.size() - 1] = kClose;
    return s;
}

QString MarkSingleColumns(const QString &mask, int start, int length)
{
    start = std::clamp(start, 0, int(mask.size()));
    length = std::clamp(length, 0, int(mask.size()) - start);
    if (length == 0) {
        if (start == mask.size())
            return mask;
        length = 1;
    }
    QString s = mask;
    for (int i = start; i < start + length; ++i)
        s[i] = kSingle;
    for (int i = start - 1; i >= 0 && s[i] != kClose; --i) {
        if (s[i] == kFill) {
            s[i] = kClose;
            break;
        }
    }
    for (int i = start + length; i < s.size() && s[i] != kOpen; ++i) {
        if (s[i] == kFill) {
            s[i] = kOpen;
            break;
        }
    }
    return s;
}

rtl::TStringList ReadMaskFile(const QString &fileName) { return rtl::TStringList(ReadTextLines(fileName)); }

void WriteMaskFile(const QString &fileName, const rtl::TStringList &lines) { WriteTextLines(fileName, lines.Lines()); }
