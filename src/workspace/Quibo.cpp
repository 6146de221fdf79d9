// The program's main block.

#include "FHistory.h"
#include "FQuibo.h"
#include "FReport.h"

#include "platform/ui/Application.h"
#include "platform/ui/Help.h"

#include "statistics/CriticalValues.h"
#include "statistics/FStat.h"

#include <QDir>

int main(int argc, char **argv)
{
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
