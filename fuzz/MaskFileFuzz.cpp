// Fuzz target for mask files: the input is a ".msk" file, whose mask and column names cut a
// small text into the import grid as the fixed-column read does.

#include "FuzzSupport.h"

#include "import/ImportGrid.h"
#include "import/TextImport.h"
#include "import/TextMask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString fileName = WriteFuzzFile(QStringLiteral("fuzz.msk"), FuzzBytes(data, size));
    const QStringList text = {QStringLiteral("A1  12.5  x"), QStringLiteral("B22 -3,25 yy"), QString(),
                              QStringLiteral("C333 7")};
    try {
        const rtl::TStringList descriptors = ReadMaskFile(fileName);
        const std::vector<TMaskField> fields = CutMask(descriptors.Values(QStringLiteral("Mask")));
        for (const bool rowNames : {false, true}) {
            TImportGrid grid;
            ReadFixedColumnLines(grid, text, fields, rowNames, &descriptors);
        }
    } catch (const rtl::Exception &) {
    }
    return 0;
}
