#pragma once
// Engine-wide helpers of the report model: the object and property that a
// script's "Object.Property" names, the text of a calculation error, the
// rotated font of vertical text, and which data band serves a band type.

#include "RpObject.h"

#include <QFont>
#include <QPointF>

#include <functional>
#include <string>

namespace report {

class TrpPages;

struct TrpObjectProperty {
    TrpObject* Object = nullptr;  // null when the name finds nothing
    std::string Property;
};

// "Property" is a property of the current object; "Name.Property" of the
// report's object of that name, or of template page N for "PAGEN.Property"
// (1-based).  When no object has the name but the current object has a
// property called so (such as "Memo.Count"), the whole text is that
// property of the current object.  The property list of the object found
// is registered.
TrpObjectProperty ResolveObjectProperty(const std::string& text, TrpObject* current, const TrpPages& pages);

// The message of an error during a run: heading (55200), the current
// object's memo, "Report:" (55201) and the report's name, "Object:"
// (55202) and the object's name, then the error's own text; lines end with
// CR.  engineText gives the numbered texts.
std::string CalculationErrorText(const std::function<std::string(int)>& engineText, const TrpView* current,
                                 const std::string& reportName, const std::string& message);

// A font turned by 90 degrees (escapement and orientation 900, tenths of a
// degree), for text that runs upwards.
struct TrpRotatedFont {
    QFont Font;
    int Escapement = 900;
    int Orientation = 900;

    // Sets the painter to draw with this font from the origin upwards; the
    // caller saves and restores the painter around it.
    void Select(QPainter& painter, QPointF origin) const;
};
TrpRotatedFont CreateRotatedFont(const QFont& font);

// The data band whose data set a band of that type reads during a run:
// the master data band for types 0-6, 16 and 17, the detail one for 8 and
// 9, the subdetail one for 11 and 12, the cross one for 19 and 20; -1 for
// any other type (the report's own data set).
int DataBandTypeFor(int bandType);

} // namespace report
