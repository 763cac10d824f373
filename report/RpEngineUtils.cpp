#include "RpEngineUtils.h"

#include "RpBandView.h"
#include "RpPage.h"

#include <QPainter>

#include <cctype>

namespace report {

namespace {

constexpr std::size_t kMaxPropertyName = 255;
constexpr int kErrorHeading = 55200;
constexpr int kReportLabel = 55201;
constexpr int kObjectLabel = 55202;

// The template page that "PAGEN" names: the letters PAGE and a digit.
bool IsPageName(const std::string& upper)
{
    return upper.size() >= 5 && upper.compare(0, 4, "PAGE") == 0 &&
           std::isdigit(static_cast<unsigned char>(upper[4])) != 0;
}

TrpObject* PageOfName(const std::string& upper, const TrpPages& pages)
{
    std::size_t number = 0;
    for (std::size_t i = 4; i < upper.size() && std::isdigit(static_cast<unsigned char>(upper[i])) != 0; ++i) {
        number = number * 10 + static_cast<std::size_t>(upper[i] - '0');
        if (number > pages.Count())
            return nullptr;
    }
    return number >= 1 && number <= pages.Count() ? &pages.Page(number - 1) : nullptr;
}

} // namespace

TrpObjectProperty ResolveObjectProperty(const std::string& text, TrpObject* current, const TrpPages& pages)
{
    TrpObjectProperty result;
    const std::size_t point = text.find('.');
    if (point == std::string::npos) {
        result.Object = current;
        result.Property = text;
    } else {
        const std::string objectName = text.substr(0, point);
        result.Property = text.substr(point + 1, kMaxPropertyName);
        const std::string upper = UpperName(objectName);
        if (IsPageName(upper)) {
            result.Object = PageOfName(upper, pages);
        } else {
            result.Object = pages.FindObject(objectName);
            if (result.Object == nullptr && current != nullptr) {
                current->RegisterProperties();
                if (current->FindProperty(objectName) != nullptr) {
                    result.Object = current;
                    result.Property = text;
                }
            }
        }
    }
    if (result.Object != nullptr)
        result.Object->RegisterProperties();
    return result;
}

std::string CalculationErrorText(const std::function<std::string(int)>& engineText, const TrpView* current,
                                 const std::string& reportName, const std::string& message)
{
    std::string text = engineText(kErrorHeading);
    if (current != nullptr) {
        text += '\r';
        for (const std::string& line : current->Memo)
            text += '\r' + line;
    }
    text += "\r\r" + engineText(kReportLabel) + ' ' + reportName + '\r';
    if (current != nullptr)
        text += engineText(kObjectLabel) + ' ' + current->Name + '\r';
    text += '\r' + message;
    return text;
}

void TrpRotatedFont::Select(QPainter& painter, QPointF origin) const
{
    painter.translate(origin);
    painter.rotate(-Escapement / 10.0);
    painter.setFont(Font);
}

TrpRotatedFont CreateRotatedFont(const QFont& font)
{
    return TrpRotatedFont{font};
}

int DataBandTypeFor(int bandType)
{
    using T = TrpBandType;
    switch (static_cast<T>(bandType)) {
    case T::ReportTitle: case T::ReportSummary: case T::PageHeader: case T::PageFooter:
    case T::MasterHeader: case T::MasterData: case T::MasterFooter:
    case T::GroupHeader: case T::GroupFooter:
        return static_cast<int>(T::MasterData);
    case T::DetailData: case T::DetailFooter:
        return static_cast<int>(T::DetailData);
    case T::SubdetailData: case T::SubdetailFooter:
        return static_cast<int>(T::SubdetailData);
    case T::CrossData: case T::CrossFooter:
        return static_cast<int>(T::CrossData);
    default:
        return -1;
    }
}

} // namespace report
