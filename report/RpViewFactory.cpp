#include "RpViewFactory.h"

#include "RpBandView.h"
#include "RpLineView.h"
#include "RpMemoView.h"
#include "RpPictureView.h"

namespace report {

void TrpAddInRegistry::Register(const std::string& className, Factory factory)
{
    const std::string upper = UpperName(className);
    for (auto& entry : classes_) {
        if (UpperName(entry.first) == upper) {
            entry.first = className;
            entry.second = std::move(factory);
            return;
        }
    }
    classes_.emplace_back(className, std::move(factory));
}

const TrpAddInRegistry::Factory* TrpAddInRegistry::Find(const std::string& className) const
{
    const std::string upper = UpperName(className);
    for (const auto& entry : classes_)
        if (UpperName(entry.first) == upper)
            return &entry.second;
    return nullptr;
}

std::unique_ptr<TrpView> CreateViewByType(int type, const std::string& className, const TrpAddInRegistry* addIns)
{
    switch (type) {
    case ObjectType::Text:
        return std::make_unique<TrpMemoView>();
    case ObjectType::Picture:
        return std::make_unique<TrpPictureView>();
    case ObjectType::Band:
        return std::make_unique<TrpBandView>();
    case ObjectType::SubReport:
        return std::make_unique<TrpSubReportView>();
    case ObjectType::Line:
        return std::make_unique<TrpLineView>();
    case ObjectType::AddIn: {
        const TrpAddInRegistry::Factory* factory = addIns != nullptr ? addIns->Find(className) : nullptr;
        std::unique_ptr<TrpView> view = factory != nullptr && *factory ? (*factory)() : nullptr;
        if (view == nullptr)
            throw EClassNotFound(className + "\r");
        view->TypeCode = ObjectType::AddIn;
        return view;
    }
    default:
        return nullptr;
    }
}

} // namespace report
