#pragma once
// Data sets and fields named in reports: components by path (a name
// among the report owner's components, or a form or data module and the
// names inside it), the data set of the current band, and FIELDISNULL.

#include "DataSet.h"
#include "RP_DSet.h"
#include "Exceptions.h"
#include "RP_Utils.h"
#include "RpObject.h"

#include <QObject>

#include <memory>
#include <string>
#include <vector>

namespace report {

// Data modules: containers of components that are not windows.  Paths of
// two or three names start at an open form (a top-level widget) or at one
// of these.
void RegisterDataModule(QObject* module);
void UnregisterDataModule(QObject* module);

// A name without "." among the components the start component owns; two
// names: a form or data module and its component; three: the component
// inside that one.  Names are compared without regard to letter case; a
// missing component at any step gives null.  A path that cannot be
// followed (more than three names) raises EClassNotFound "Missing " + path.
QObject* FindComponentByPath(QObject* start, const std::string& path);

// SplitFieldReference's lookup through the components of an owner.  A
// data set that is found but cannot be opened raises the driver's error.
class TrpComponentFieldLookup final : public TrpFieldLookup {
public:
    explicit TrpComponentFieldLookup(QObject* owner) : owner_(owner) {}
    TDataSet* FindDataSet(const std::vector<std::string>& path) override;
    bool HasForm(const std::string& name) override;
    std::string FieldNameIfPresent(TDataSet* dataSet, const std::string& name) override;

private:
    QObject* owner_;
};

// The data set a band names: a name that starts with a digit 1-9 makes a
// data set of that many records (the number the leading digits give),
// owned by the caller; any other name is the owner's component of that
// name (letter case ignored), when it is a report data set.  Null for an
// empty name and for a name nothing answers.
TrpDataset* FindDataSetByName(const std::string& name, QObject* owner, std::unique_ptr<TrpDataset>& owned);

// The database data set of the current band of the running report: master
// data for the report title, summary, page, master and group bands, detail
// data for detail data and footer, subdetail data for subdetail data and
// footer, cross data for cross data and footer, otherwise the report's
// Dataset.  Null unless that is a database data set.
TDataSet* CurrentBandDataSet();

// FIELDISNULL: whether the field named by the reference is null; True when
// no data set is found.  A data set without the field raises
// EDatabaseError "Field 'x' not found".
bool IsFieldNull(const std::string& reference);

} // namespace report
