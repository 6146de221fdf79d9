// Fuzz target for the Talnex import: the input is the TAB export with its names. As the
// import does, the export's columns are kept, written to "im.csv", read back as row, column
// and value lines, and each item's values are put in order (an odd first byte answers that the
// START value is in the first data column).

#include "FuzzSupport.h"

#include "import/ImportGrid.h"
#include "import/Talnex.h"
#include "import/TextImport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TImportGrid grid;
    try {
        ReadDelimitedText(grid, FuzzBytes(data, size), QLatin1Char('\t'), true, QStringLiteral("export.txt"));
        KeepTalnexColumns(grid);
        const QString intermediate = FuzzFolder().filePath(QStringLiteral("im.csv"));
        SaveCSV(grid, intermediate, false, false);
        grid.Clear();
        ReadContingencyTable(grid, intermediate);
        OrderTalnexRows(grid, size > 0 && (data[0] & 1));
    } catch (const rtl::Exception &) {
    }
    return 0;
}
