// Fuzz target for the settings file: the input is the file; the open-text options are read
// from it and written back, as the dialog "Open text file" does.

#include "FuzzSupport.h"

#include "import/OpenTextOptions.h"
#include "platform/rtl/SettingsStore.h"
#include "platform/rtl/SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString name = QStringLiteral("settings.ini");
    WriteFuzzFile(name, FuzzBytes(data, size));
    rtl::SettingsStore store;
    store.open(FuzzFolder().path(), name);
    const TSettingsAccess access{
        [&store](const QString &key, QString &value) { return store.read(key, value); },
        [&store](const QString &key, const QString &value) { return store.write(key, value); }};
    TOpenTextOptions options;
    try {
        LoadOpenTextOptions(access, options);
        ParseDelimiterText(QString(options.Delimiter));
        SaveOpenTextOptions(access, options);
    } catch (const rtl::Exception &) {
    }
    return 0;
}
