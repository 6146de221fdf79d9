// The main window's services that only the automation interface calls.

#include "FQuibo.h"
#include "ui_FQuibo.h"

void TFormQuibo::SetLogTransformation(bool Checked) { ui->CB_log->setChecked(Checked); }
