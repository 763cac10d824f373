#pragma once
// Creation of report objects by type code, and the add-in classes that a
// program may register for type 10.  This system registers none.

#include "RpObject.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace report {

class TrpAddInRegistry {
public:
    using Factory = std::function<std::unique_ptr<TrpView>()>;

    // Class names compare without regard to case, as template and
    // prepared streams may store them in any case.  A later registration
    // of the same name replaces the earlier one.
    void Register(const std::string& className, Factory factory);
    // The class of that name; null when absent.
    const Factory* Find(const std::string& className) const;

private:
    std::vector<std::pair<std::string, Factory>> classes_;
};

// 0 text, 1 picture, 2 band, 3 sub-report, 4 line, 10 the add-in class of
// that name; null for any other code.  A missing add-in class raises
// EClassNotFound with the class name followed by CR.
std::unique_ptr<TrpView> CreateViewByType(int type, const std::string& className,
                                          const TrpAddInRegistry* addIns = nullptr);

} // namespace report
