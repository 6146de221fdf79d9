// The program's main block.

#include "FHistory.h"
#include "FQuibo.h"
#include "FReport.h"

#include "platform/ui/Application.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Help.h"

#include "statistics/CriticalValues.h"
#include "statistics/FStat.h"

#include <QDir>

#include <csignal>

int main(int argc, char **argv)
{
    // Past a file size limit a write fails with an error that the tables undo and report; the
    // signal that would end the program first is not wanted.
    std::signal(SIGXFSZ, SIG_IGN);
    rtl::ReturnLargeBlocksWhenFreed();
    ui::TApplication Application(argc, argv);
    Application.SetTitle(QStringLiteral("Quibo"));

    // The help folder is a sibling of the executable's folder; its contents page opens first.
    Application.SetHelpFile(ui::HelpPage(10));

    // The main window asks the critical-value service itself; the statistics window shows its
    // requests.
    CriticalValues criticalValues(QDir::currentPath());
    FormQuibo = new TFormQuibo;
    FormStat = new TFormStat(criticalValues);
    FormQuibo->SetCriticalValueSource(&criticalValues);
    FormReport = new TFormReport;
    FormHistory = new TFormHistory;
    QObject::connect(FormQuibo, &TFormQuibo::quitRequested, &Application, &QApplication::quit);
    FormQuibo->show();
    const int result = Application.exec();
    delete FormHistory;
    delete FormReport;
    delete FormStat;
    delete FormQuibo;
    FormQuibo = nullptr;
    return result;
}
