#pragma once
// The large log the benchmarks read: a generated backup file of realistic
// records (SIDs, data, several sources).

#include <string>

// Writes a log of `records` records into the temporary directory as
// "<name>-<process id>.evt" and returns its path; the file is removed when
// the program ends.  A log that cannot be written ends the program.
std::string WriteBenchLog(const std::string& name, int records);
