// File > Open Log: the Open Log dialog, and the place it was left.

#include "main.h"

#include "compopen.h"

TfrmCompBrowse& TfrmQORVMain::CompBrowseForm()
{
    if (!compBrowse_)
        compBrowse_ = new TfrmCompBrowse(this);
    return *compBrowse_;
}

void TfrmQORVMain::actOpenLogExecute()
{
    QString computer;
    QString log;
    const TNTNetResource* location = CompBrowseForm().Execute(openLogLocation_.get(), computer, log);
    if (!location)
        return;
    if (!openLogLocation_)
        openLogLocation_ = std::make_unique<TNTNetResource>();
    openLogLocation_->Assign(*location);
    OpenLog(computer, log, olmAsk);
}
