#include "RpFormTexts.h"

#include "RpLocale.h"

namespace report {

QString FormText(int id)
{
    return QString::fromUtf8(LoadEngineString(id));
}

QString FormText(int id, const QString& layoutText)
{
    const QString text = FormText(id);
    return text.isEmpty() ? layoutText : text;
}

} // namespace report
