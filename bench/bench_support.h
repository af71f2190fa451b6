#pragma once
// Shared fixtures for the benchmarks: a generated readings database of a
// million rows, made once per machine and reused.
#include <string>

namespace benchsupport {

// Path of a readings database holding `rows` readings, one every 15 minutes
// from 2000-01-01 on, every value taken; one in `logEvery` readings carries
// insulin (others "-"). Created on first use in the system's temp folder.
std::string ReadingsDatabase(long rows = 1000000, int logEvery = 1);

// Stored date and time of reading number i of such a database.
std::string DateOf(long i);
std::string TimeOf(long i);

// Peak resident memory of this process, in MiB.
double PeakMemoryMiB();

} // namespace benchsupport
