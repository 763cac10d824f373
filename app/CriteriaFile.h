#pragma once
// Criteria files ("*.quv"): the fields of the filter dialog as INI text.
//
//   [General]
//   Version=1
//   [Criteria]
//   Information=1  Warning  Error  AuditSuccess  AuditFailure     0 or 1
//   Source=  Category=  User=                                      texts
//   UserSub=  Computer=  ComputerSub=  EventIDs=  DescriptionText=
//   Date=  Time=  DTSeparately=                                   0 or 1
//   TimeFrom=  TimeTo=        days since 1899-12-30, "." decimals always
//
// Keys are written in this order, lines end with CR LF, texts are UTF-8.
// Reading follows the platform's INI functions: section and key names in
// any case, the first of a repeated key counts, values trimmed and one pair
// of enclosing quotes removed (the writer quotes a text that would lose
// blanks or quotes that way).  Missing keys take their defaults: 0 for
// numbers (so a missing type unticks it), empty for texts.

#include "EventFilter.h"

#include <QByteArray>
#include <QString>

#include <stdexcept>

// The version this program writes, and the highest it reads.
inline constexpr double kCriteriaFileVersion = 1.0;
// A file larger than this is not a criteria file.
inline constexpr qint64 kMaxCriteriaFileSize = 1024 * 1024;

// A criteria file that could not be read or written at all; the message
// names the file and the reason.
class ECriteriaFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file's text for a record.  `From` and `To` are written as they are
// (the dialog gives its date picker plus its time picker).
QByteArray CriteriaFileText(const TEventFilter& criteria);

// Reads a file's text into `criteria`; false, and `criteria` untouched,
// when its Version is missing, malformed or above kCriteriaFileVersion.
bool ParseCriteriaFileText(const QByteArray& text, TEventFilter& criteria);

// Writes a file through a temporary file and a rename, so a failure leaves
// whatever was there before.  Raises ECriteriaFileError.
void SaveCriteriaFile(const QString& path, const TEventFilter& criteria);

// Reads a file; false when its version is not one this program reads.
// Raises ECriteriaFileError when the file cannot be read at all.
bool LoadCriteriaFile(const QString& path, TEventFilter& criteria);
