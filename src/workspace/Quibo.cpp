// The program's main block.

#include "FHistory.h"
#include "FQuibo.h"
#include "FReport.h"

#include "automation/AutomationServer.h"

#include "import/FImport.h"
#include "import/ImportTools.h"

#include "platform/ui/Application.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Help.h"

#include "statistics/CriticalValues.h"
#include "statistics/FStat.h"

#include <QDir>

#include <csignal>
#include <cstdio>

namespace {

QStringList Arguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// "REGSERVER" and "UNREGSERVER" do their work and end the program, without a window.
int RunRegistration(automation::TServerSwitch serverSwitch, int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QString failure = serverSwitch == automation::TServerSwitch::RegServer
                                ? automation::RegisterServer(QCoreApplication::applicationFilePath())
                                : automation::UnregisterServer();
    if (failure.isEmpty())
        return 0;
    std::fprintf(stderr, "quibo: %s\n", failure.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    // Past a file size limit a write fails with an error that the tables undo and report; the
    // signal that would end the program first is not wanted.
    std::signal(SIGXFSZ, SIG_IGN);
    rtl::ReturnLargeBlocksWhenFreed();
    const automation::TServerSwitch serverSwitch = automation::FindServerSwitch(Arguments(argc, argv));
    if (serverSwitch == automation::TServerSwitch::RegServer || serverSwitch == automation::TServerSwitch::UnregServer)
        return RunRegistration(serverSwitch, argc, argv);

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
    // The import library builds on the workspace, so the main window gets its windows from here.
    FormQuibo->SetToolWindows(ImportToolWindows());
    FormReport = new TFormReport;
    FormHistory = new TFormHistory;
    QObject::connect(FormQuibo, &TFormQuibo::quitRequested, &Application, &QApplication::quit);

    // Every start offers the automation object to one client; a start for a client must.
    const bool startedForClient = serverSwitch == automation::TServerSwitch::Automation;
    automation::TAutomationServer server(startedForClient, QDBusConnection::sessionBus());
    const QString serverFailure = server.Start();
    if (!serverFailure.isEmpty())
        std::fprintf(stderr, "quibo: automation is not served: %s\n", serverFailure.toLocal8Bit().constData());
    int result = 1;
    if (serverFailure.isEmpty() || !startedForClient) {
        ui::SetCloseQuery([&server] { return server.CanClose(); });
        FormQuibo->show();
        result = Application.exec();
        ui::SetCloseQuery(nullptr);
        FormQuibo->hide();
        server.FinishRelays();
    }
    delete FormImport; // left by a Talnex import
    delete FormHistory;
    delete FormReport;
    delete FormStat;
    delete FormQuibo;
    FormQuibo = nullptr;
    return result;
}
