#pragma once
// Time stamps for logs and traces: one format wherever the tools write one.

#include <cstddef>
#include <string>

namespace valdro {

// Characters of a time stamp: 2024-05-01T12:34:56.789Z.
inline constexpr std::size_t kUtcTimestampSize = 24;

// Writes the current UTC time as 2024-05-01T12:34:56.789Z at out (which holds
// kUtcTimestampSize characters) and returns the position after it. Allocates
// nothing, so a trace can stamp every report.
char* PutUtcTimestamp(char* out);

// The same as a string.
std::string UtcTimestamp();

}  // namespace valdro
