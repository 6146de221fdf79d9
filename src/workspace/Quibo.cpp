// The program's main block.

#include "FQuibo.h"

#include "platform/ui/Application.h"

#include <QDir>
#include <QFileInfo>

int main(int argc, char **argv)
{
    ui::TApplication Application(argc, argv);
    Application.SetTitle(QStringLiteral("Quibo"));

    // The help folder is a sibling of the executable's folder.
    const QDir parent = QFileInfo(QFileInfo(ui::TApplication::ExeName()).absolutePath()).dir();
    HelpFilePath = parent.filePath(QStringLiteral("help/index.html"));
    Application.SetHelpFile(HelpFilePath);

    FormQuibo = new TFormQuibo;
    QObject::connect(FormQuibo, &TFormQuibo::quitRequested, &Application, &QApplication::quit);
    FormQuibo->show();
    const int result = Application.exec();
    delete FormQuibo;
    FormQuibo = nullptr;
    HelpFilePath.clear();
    return result;
}
