// Main of the benchmarks that build windows or charts: an application object on the offscreen
// platform, number text in the C locale, large blocks returned to the system as the program
// does, then Google Benchmark.

#include "RunBenchmarks.h"

#include "platform/rtl/SysUtils.h"

#include <QApplication>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    rtl::ReturnLargeBlocksWhenFreed();
    QApplication app(argc, argv);
    rtl::SetFormatLocale(QLocale::c());
    return RunBenchmarks(argc, argv);
}
