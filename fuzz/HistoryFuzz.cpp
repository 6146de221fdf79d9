// Fuzz target for the history file: the input is the file, loaded into the history window,
// which then takes one more entry.

#include "FuzzSupport.h"

#include "platform/rtl/SysUtils.h"
#include "workspace/FHistory.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    EnsureFuzzApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString fileName = WriteFuzzFile(QStringLiteral("history.txt"), FuzzBytes(data, size));
    TFormHistory history;
    try {
        history.LoadHistory(fileName);
    } catch (const rtl::Exception &) {
        return 0;
    }
    history.AddItem(QStringLiteral("Open"), QStringLiteral("fuzz.csv"));
    history.Lines();
    return 0;
}
