#include "ElementDetails.h"

#include <array>
#include <initializer_list>

namespace {

struct Range {
    int first;
    int last;
    int part;
};

ThemedElementDetails mapped(TThemedElement element, std::initializer_list<Range> ranges, int d)
{
    for (const Range& range : ranges)
        if (d >= range.first && d <= range.last)
            return {element, range.part, d - range.first + 1};
    return {element, 0, d + 1};
}

} // namespace

const char16_t* ThemeClassName(TThemedElement element)
{
    static constexpr std::array<const char16_t*, kThemedElementCount> names{
        u"button",   u"clock",    u"combobox", u"edit",    u"explorerbar", u"header",     u"listview", u"menu",
        u"page",     u"progress", u"rebar",    u"scrollbar", u"spin",      u"startpanel", u"status",   u"tab",
        u"taskband", u"taskbar",  u"toolbar",  u"tooltip", u"trackbar",    u"traynotify", u"treeview", u"window",
    };
    return names.at(element);
}

ThemedElementDetails GetButtonDetails(int d)
{
    return mapped(teButton, {{2, 6, 1}, {7, 14, 2}, {15, 26, 3}, {27, 28, 4}, {29, 29, 5}}, d);
}

ThemedElementDetails GetEditDetails(int d)
{
    return mapped(teEdit, {{2, 8, 1}, {9, 9, 2}}, d);
}

ThemedElementDetails GetRebarDetails(int d)
{
    return mapped(teRebar, {{2, 2, 1}, {3, 3, 2}, {4, 9, 3}, {10, 13, 4}, {14, 17, 5}}, d);
}

ThemedElementDetails GetStatusDetails(int d)
{
    return mapped(teStatus, {{2, 2, 1}, {3, 3, 2}, {4, 4, 3}}, d);
}

ThemedElementDetails GetTabDetails(int d)
{
    return mapped(teTab,
                  {{2, 6, 1},
                   {7, 11, 2},
                   {12, 16, 3},
                   {17, 21, 4},
                   {22, 26, 5},
                   {27, 31, 6},
                   {32, 36, 7},
                   {37, 41, 8},
                   {42, 42, 9},
                   {43, 43, 10}},
                  d);
}

ThemedElementDetails GetToolBarDetails(int d)
{
    return mapped(teToolBar, {{2, 7, 1}, {8, 13, 2}, {14, 19, 3}, {20, 25, 4}, {26, 31, 5}, {32, 37, 6}}, d);
}

ThemedElementDetails GetTrackBarDetails(int d)
{
    return mapped(teTrackBar,
                  {{2, 2, 1},
                   {3, 3, 2},
                   {4, 8, 3},
                   {9, 13, 4},
                   {14, 18, 5},
                   {19, 23, 6},
                   {24, 28, 7},
                   {29, 33, 8},
                   {34, 34, 9},
                   {35, 35, 10}},
                  d);
}

ThemedElementDetails GetWindowDetails(int d)
{
    // 2 to 31: three numbers a part for parts 1 to 6, then two for 7 to 12;
    // 32 to 91 five a part, 92 to 107 four a part, then one each.
    return mapped(teWindow,
                  {{2, 4, 1},       {5, 7, 2},       {8, 10, 3},      {11, 13, 4},     {14, 16, 5},
                   {17, 19, 6},     {20, 21, 7},     {22, 23, 8},     {24, 25, 9},     {26, 27, 10},
                   {28, 29, 11},    {30, 31, 12},    {32, 36, 13},    {37, 41, 14},    {42, 46, 15},
                   {47, 51, 16},    {52, 56, 17},    {57, 61, 18},    {62, 66, 19},    {67, 71, 20},
                   {72, 76, 21},    {77, 81, 22},    {82, 86, 23},    {87, 91, 24},    {92, 95, 25},
                   {96, 99, 26},    {100, 103, 27},  {104, 107, 28},  {108, 108, 29},  {109, 109, 30},
                   {110, 110, 31},  {111, 111, 32},  {112, 112, 33},  {113, 113, 34},  {114, 114, 35},
                   {115, 115, 36},  {116, 116, 37}},
                  d);
}
