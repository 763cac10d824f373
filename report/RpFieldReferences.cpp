#include "RpFieldReferences.h"

#include "RP_Class.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <deque>
#include <limits>

namespace report {

namespace {

constexpr std::size_t kMaxName = 255;

std::vector<QPointer<QObject>>& DataModules()
{
    static std::vector<QPointer<QObject>> modules;
    return modules;
}

bool SameName(const QObject& object, const std::string& name)
{
    return object.objectName().compare(QString::fromStdString(name), Qt::CaseInsensitive) == 0;
}

// Breadth first, so a direct child wins over a deeper namesake.
QObject* FindOwned(QObject* owner, const std::string& name)
{
    if (owner == nullptr || name.empty())
        return nullptr;
    std::deque<QObject*> queue(owner->children().begin(), owner->children().end());
    while (!queue.empty()) {
        QObject* object = queue.front();
        queue.pop_front();
        if (SameName(*object, name))
            return object;
        for (QObject* child : object->children())
            queue.push_back(child);
    }
    return nullptr;
}

QObject* FindFormOrDataModule(const std::string& name)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        for (QWidget* form : QApplication::topLevelWidgets())
            if (SameName(*form, name))
                return form;
    for (const auto& module : DataModules())
        if (module != nullptr && SameName(*module, name))
            return module;
    return nullptr;
}

std::vector<std::string> SplitPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t point = path.find('.'); point != std::string::npos; point = path.find('.', start)) {
        parts.push_back(path.substr(start, point - start));
        start = point + 1;
    }
    parts.push_back(path.substr(start));
    for (std::size_t i = 1; i < parts.size(); ++i)
        if (parts[i].size() > kMaxName)
            parts[i].resize(kMaxName);
    return parts;
}

QObject* Follow(QObject* start, const std::vector<std::string>& parts)
{
    if (parts.size() == 1)
        return FindOwned(start, parts[0]);
    if (parts.size() > 3)
        throw Exception("a component path has at most three names");
    QObject* component = FindOwned(FindFormOrDataModule(parts[0]), parts[1]);
    return parts.size() == 2 ? component : FindOwned(component, parts[2]);
}

} // namespace

void RegisterDataModule(QObject* module)
{
    UnregisterDataModule(module);
    DataModules().emplace_back(module);
}

void UnregisterDataModule(QObject* module)
{
    std::erase_if(DataModules(), [module](const QPointer<QObject>& entry) { return entry == nullptr || entry == module; });
}

QObject* FindComponentByPath(QObject* start, const std::string& path)
{
    try {
        return Follow(start, SplitPath(path));
    } catch (const std::exception&) {
        throw EClassNotFound("Missing " + path);
    }
}

TDataSet* TrpComponentFieldLookup::FindDataSet(const std::vector<std::string>& path)
{
    QObject* found = path.size() == 1 ? FindOwned(owner_, path[0]) : Follow(nullptr, path);
    return dynamic_cast<TDataSet*>(found);
}

bool TrpComponentFieldLookup::HasForm(const std::string& name)
{
    return FindFormOrDataModule(name) != nullptr;
}

std::string TrpComponentFieldLookup::FieldNameIfPresent(TDataSet* dataSet, const std::string& name)
{
    // A data set that cannot open reports why: a run shows the driver's
    // text instead of an undefined name.
    if (dataSet != nullptr && !dataSet->Active())
        dataSet->Open();
    return report::FieldNameIfPresent(dataSet, name);
}

TrpDataset* FindDataSetByName(const std::string& name, QObject* owner, std::unique_ptr<TrpDataset>& owned)
{
    owned.reset();
    if (name.empty())
        return nullptr;
    if (name[0] >= '1' && name[0] <= '9') {
        std::int64_t count = 0;
        for (std::size_t i = 0; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i)
            count = std::min<std::int64_t>(count * 10 + (name[i] - '0'), std::numeric_limits<std::int32_t>::max());
        owned = std::make_unique<TrpUserDataset>();
        owned->RangeEnd = reCount;
        owned->RangeEndCount = static_cast<std::int32_t>(count);
        return owned.get();
    }
    try {
        return dynamic_cast<TrpDataset*>(FindComponentByPath(owner, name));
    } catch (const std::exception&) {
        return nullptr;
    }
}

TDataSet* CurrentBandDataSet()
{
    const TrpRunState& state = RunState();
    TrpDataset* dataset = state.Report != nullptr ? state.Report->Dataset.data() : nullptr;
    const TrpBand* band = state.Band;
    if (band != nullptr && band->Page != nullptr && band->Page->PageType == 0) {
        const int dataType = DataBandTypeFor(band->Type);
        if (dataType >= 0) {
            const TrpBand* first = band->Page->FirstBands[static_cast<std::size_t>(dataType)];
            dataset = first != nullptr ? first->DataSet : nullptr;
        }
    }
    auto* database = dynamic_cast<TrpDBDataSet*>(dataset);
    if (database == nullptr)
        return nullptr;
    if (database->DataSource() != nullptr && database->DataSource()->DataSet != nullptr)
        return database->DataSource()->DataSet;
    return database->DataSet();
}

bool IsFieldNull(const std::string& reference)
{
    TrpReport* report = RunState().Report;
    TDataSet* dataSet = report != nullptr && report->UseDefaultDataSetName ? CurrentBandDataSet() : nullptr;
    TrpComponentFieldLookup lookup(report != nullptr ? report->parent() : nullptr);
    std::string field;
    SplitFieldReference(reference, dataSet, field, lookup);
    if (dataSet == nullptr)
        return true;
    if (!dataSet->Active())
        dataSet->Open();
    return dataSet->FieldByName(field).IsNull();
}

} // namespace report
