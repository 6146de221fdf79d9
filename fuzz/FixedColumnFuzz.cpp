// Fuzz target for the fixed-column read into the import grid: the first line of the input is
// the mask, the other lines are the text it cuts; an odd first byte of the mask line asks for
// row names.

#include "FuzzSupport.h"

#include "import/ImportGrid.h"
#include "import/TextImport.h"
#include "workspace/TextLines.h"
#include "import/TextMask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString mask;
    QStringList lines;
    bool first = true;
    ForEachLine(FuzzBytes(data, size), [&](QByteArrayView line) {
        if (first)
            mask = DecodeTextLine(line);
        else
            lines.append(DecodeTextLine(line));
        first = false;
    });
    const bool rowNames = size > 0 && (data[0] & 1);
    if (mask.isEmpty())
        mask = DefaultMask(lines);
    TImportGrid grid;
    ReadFixedColumnLines(grid, lines, CutMask(mask), rowNames, nullptr);
    return 0;
}
