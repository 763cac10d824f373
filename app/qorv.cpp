// Quellvane: the program.  It takes no command-line arguments of its own;
// everything it keeps lives in the current user's registry.

#include "Application.h"
#include "browsent.h"
#include "main.h"
#include "sel_comp.h"

#include "ntlib/FunctionBinding.h"

int main(int argc, char** argv)
{
    // The platform's functions are bound before the first window exists and
    // stay bound until the last one is gone.
    ScopedSystemFunctions bound;
    TApplication application(argc, argv);
    application.CreateForm<TfrmQORVMain>();
    application.CreateForm<TSelectCompForm>();
    application.CreateForm<TNTBrowseNetForm>();
    return application.Run();
}
