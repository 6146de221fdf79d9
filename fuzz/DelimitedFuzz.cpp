// Fuzz target for the delimited read into the import grid: the first byte is the delimiter
// (a code page character), the second says whether the first line holds the names, the rest
// is the file. The grid is then saved, as "Save as" does.

#include "FuzzSupport.h"

#include "import/ImportGrid.h"
#include "import/TextImport.h"
#include "workspace/TextLines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const QChar delimiter = CodePageChar(data[0]);
    const bool varNames = data[1] & 1;
    TImportGrid grid;
    try {
        ReadDelimitedText(grid, FuzzBytes(data + 2, size - 2), delimiter, varNames, QStringLiteral("fuzz.csv"));
        SaveCSV(grid, FuzzFolder().filePath(QStringLiteral("saved.csv")), true, true);
    } catch (const rtl::Exception &) {
    }
    return 0;
}
