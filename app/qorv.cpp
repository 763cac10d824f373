// Quellvane: the program.  It takes no command-line arguments of its own;
// everything it keeps lives in the current user's registry.

#include "Application.h"
#include "about.h"
#include "browsent.h"
#include "filt_frm.h"
#include "logprop.h"
#include "main.h"
#include "sel_comp.h"

#include "ntlib/FunctionBinding.h"

#include "platform/SiteSeeding.h"

int main(int argc, char** argv)
{
    // A user without a site of their own starts on a copy of the demo
    // network; this comes before anything uses the platform.
    platform::SeedSiteFrom(QV_DEMO_SITE_DIR);

    // The platform's functions are bound before the first window exists and
    // stay bound until the last one is gone.
    ScopedSystemFunctions bound;
    TApplication application(argc, argv);
    // The forms in their order of creation; the main window comes first and
    // so is the main form.
    application.CreateForm<TfrmQORVMain>();
    application.CreateForm<TSelectCompForm>();
    application.CreateForm<TNTBrowseNetForm>();
    application.CreateForm<TfrmFilterDesign>();
    application.CreateForm<TAboutForm>();
    application.CreateForm<TfrmLogProperties>();
    return application.Run();
}
