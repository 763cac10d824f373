#pragma once
// Readable criteria in test failure messages.

#include "app/EventFilter.h"

#include <ostream>

inline void PrintTo(const TEventFilter& f, std::ostream* os)
{
    *os << "{types " << f.Information << f.Warning << f.Error << f.AuditSuccess << f.AuditFailure << ", source \""
        << f.Source.toStdString() << "\", category \"" << f.Category.toStdString() << "\", user \""
        << f.User.toStdString() << "\"/" << f.UserSubstring << ", computer \"" << f.Computer.toStdString() << "\"/"
        << f.ComputerSubstring << ", ids \"" << f.EventIDs.toStdString() << "\", text \""
        << f.DescriptionText.toStdString() << "\", date " << f.Date << " time " << f.Time << " separately "
        << f.DTSeparately << ", from " << f.From << " to " << f.To << '}';
}
