#pragma once
// Time stamps for logs: one format wherever the tools write one.

#include <string>

namespace valdro {

// The current UTC time as 2024-05-01T12:34:56.789Z.
std::string UtcTimestamp();

}  // namespace valdro
