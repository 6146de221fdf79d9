// The program's main block.

#include "platform/ui/Application.h"

int main(int argc, char **argv)
{
    ui::TApplication application(argc, argv);
    application.SetTitle(QStringLiteral("Quibo"));
    return 0;
}
