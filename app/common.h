#pragma once
// Helpers that several of the application's windows share.

#include "ntlib/EventItem.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

class QDate;
class QTime;

// Per-user confirmations that the user can switch off: a nonzero value
// under this key means that the question is not asked.
inline constexpr char kConfirmationsKey[] = "Software\\Ostrivel\\Quellvane\\Confirmations";
inline constexpr char kConfirmQuit[] = "Quit";
inline constexpr char kConfirmCloseAll[] = "CloseAll";
inline constexpr char kConfirmCloseWindow[] = "CloseWindow";
inline constexpr char kDontAskMeAgain[] = "Don't ask me again";

// The text of an event type code, masked with 0x7F: "Error", "Warning",
// "Information", "Audit Success", "Audit Failure".  Any other code leaves
// `text` as it was.
void EventTypeToStr(int eventType, QString& text);

// `s` without the control characters and blanks at either end.
std::string TrimText(const std::string& s);
// The same, as a view into `s`.
std::string_view TrimTextView(std::string_view s);

// The category text of an event as the list shows it: trimmed.
QString EventCategoryText(const TEventItem& e);

// The calendar date and the time of day (to the millisecond) of a
// TDateTime, without any time-zone conversion.
void DecodeDateTime(TDateTime t, QDate& date, QTime& time);

// A number in the platform's integer syntax: an optional sign, then
// decimal digits or "$" and hexadecimal digits, nothing else; it must fit
// 32 bits (a hexadecimal one gives the bits of a signed number).  False,
// and `value` untouched, for anything else.
bool TryStrToInt(const QString& text, std::int32_t& value);

// A date as whole days since 1899-12-30, and a time of day as the fraction
// of a day: the two parts of a TDateTime.
double EncodeDate(const QDate& date);
double EncodeTime(const QTime& time);
