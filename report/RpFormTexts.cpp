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

QString UnderlinedAccelerator(const QString& text)
{
    QString html;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) {
            html += QString(text[i]).toHtmlEscaped();
            continue;
        }
        if (++i == text.size())
            break;  // a lone "&" at the end marks nothing
        if (text[i] == QLatin1Char('&'))
            html += QStringLiteral("&amp;");
        else
            html += QStringLiteral("<u>") + QString(text[i]).toHtmlEscaped() + QStringLiteral("</u>");
    }
    return html;
}

} // namespace report
