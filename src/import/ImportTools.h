#pragma once
// The entry points by which the main window opens the import window and the SQL window; the
// program's main block hands them to it (TFormQuibo::SetToolWindows), since the main window's
// library cannot link this one, which builds on it.

#include "workspace/ToolWindows.h"

TToolWindows ImportToolWindows();
