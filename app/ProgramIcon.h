#pragma once
// The program's own icon: a log book with the marks of its event types
// (error, warning, information) under a magnifying glass.  Every window
// carries it, in the sizes a title bar, a task bar and an about box ask
// for; drawn at run time.

#include <QIcon>

// Needs a GUI application.
QIcon ProgramIcon();
