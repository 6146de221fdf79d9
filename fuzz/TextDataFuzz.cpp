// Fuzz target for the text data reader: the input is a data file, read as the main window
// reads it, with and without the logarithm of the values. Only its own errors may come out.

#include "workspace/TextData.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const bool logTransform : {false, true}) {
        try {
            ReadTextData(text, logTransform);
        } catch (const rtl::Exception &) {
        }
    }
    return 0;
}
