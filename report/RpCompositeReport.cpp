// A composite report: its members run one after another into its prepared
// pages.

#include "RpReport.h"

#include "RpRunState.h"

namespace report {

namespace {

// The paper of a page, to tell whether the next member may continue on it.
struct Paper {
    std::int32_t Size = 0, Width = 0, Height = 0;
    std::uint8_t Orientation = 0;
    friend bool operator==(const Paper&, const Paper&) = default;
};

Paper PaperOf(const TrpPage& page)
{
    return {page.PaperSize, page.PaperWidth, page.PaperHeight, page.Orientation};
}

Paper PaperOf(const TrpEMFPage& page)
{
    return {page.PaperSize, page.Width, page.Height, page.Orientation};
}

} // namespace

void TrpCompositeReport::BeginDocument()
{
    saved_.clear();
    for (const QPointer<TrpReport>& member : Reports) {
        auto stream = std::make_unique<TrpStream>();
        if (member != nullptr) {
            member->WriteTemplate(*stream);
            if (member->OnBeginDoc)
                member->OnBeginDoc();
        }
        saved_.push_back(std::move(stream));
    }
}

void TrpCompositeReport::EndDocument()
{
    for (std::size_t i = 0; i < Reports.size() && i < saved_.size(); ++i) {
        TrpReport* member = Reports[i];
        if (member == nullptr)
            continue;
        if (member->OnEndDoc)
            member->OnEndDoc();
        member->ClearScripts();
        saved_[i]->Seek(0);
        member->ReadTemplate(*saved_[i]);
        member->FinalPass = false;
        member->Running = false;
    }
    saved_.clear();
}

void TrpCompositeReport::BuildPages()
{
    TrpRunState& state = RunState();
    Running = true;
    state.PageNo = 0;
    state.PagesReport = this;
    state.Prepared = EMFPages.get();
    if (Dataset != nullptr)
        StepDataset(DatasetStep::Open);
    while (!Terminated) {
        for (std::size_t i = 0; i < Reports.size() && !Terminated; ++i) {
            TrpReport* member = Reports[i];
            if (member == nullptr)
                continue;
            TrpStream saved;
            if (Dataset != nullptr)
                member->WriteTemplate(saved);
            // The next member continues on this one's last page when its
            // first page says so and the paper stays the same.
            TrpReport* next = nullptr;
            for (std::size_t j = i + 1; j < Reports.size() && next == nullptr; ++j)
                next = Reports[j];
            state.NextOnPreviousPage = false;
            if (next != nullptr && next->Pages.Count() > 0 && next->Pages.Page(0).PrintToPrevPage != 0) {
                const Paper last = EMFPages->Count() == 0
                                       ? (member->Pages.Count() > 0 ? PaperOf(member->Pages.Page(member->Pages.Count() - 1))
                                                                    : Paper{})
                                       : PaperOf(EMFPages->PageRecord(EMFPages->Count() - 1));
                state.NextOnPreviousPage = last == PaperOf(next->Pages.Page(0));
            }
            member->FinalPass = FinalPass;
            member->SavedDoublePass = SavedDoublePass;
            member->Terminated = false;
            member->BuildPages();
            if (member->Terminated)
                Terminated = true;
            MakeCurrent();
            state.PagesReport = this;
            state.Prepared = EMFPages.get();
            if (Dataset != nullptr) {
                member->ClearScripts();
                saved.Seek(0);
                member->ReadTemplate(saved);
            }
            state.ContinueOnPage = state.NextOnPreviousPage;
            state.Append = state.ContinueOnPage;
            state.NextOnPreviousPage = false;
        }
        if (Terminated || Dataset == nullptr || !StepDataset(DatasetStep::Next))
            break;
    }
    if (Dataset != nullptr)
        StepDataset(DatasetStep::Close);
}

} // namespace report
