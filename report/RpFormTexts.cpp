#include "RpFormTexts.h"

#include <unordered_map>

namespace report {

QString FormText(int id)
{
    // The English texts of the dialogs.
    static const std::unordered_map<int, const char*> texts = {
        {53040, "Print"},
        {53041, "Printer"},
        {53042, "Properties"},
        {53043, "Copies"},
        {53044, "Page range"},
        {53045, "&All"},
        {53046, "Current pa&ge"},
        {53047, "&Pages:"},
        {53048, "Enter page numbers and/or page ranges, separated by commas. For example, 1,3,5-12"},
        {53049, "&Name:"},
        {53050, "Number of &copies:"},
        {53051, "Co&llate"},
        {53052, "P&rint"},
        {53053, "All pages"},
        {53054, "Odd pages"},
        {53055, "Even pages"},
        {55000, "OK"},
        {55001, "Cancel"},
        {55653, "Password"},
        {55654, "Enter password for opening report"},
        {55655, "Retype password for validate"},
    };
    const auto found = texts.find(id);
    return found != texts.end() ? QString::fromUtf8(found->second) : QString();
}

} // namespace report
