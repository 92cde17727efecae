#pragma once
// A readable account of a ConfigSet for a terminal: all nine units with their
// network settings, flags, latches, reset inputs and input maps, in the screen's
// numbering (inputs and outputs 1..16, units by name).

#include <string>
#include <vector>

#include "config/config_set.h"

namespace valdro {

// All nine units, each as SummarizeUnit gives it, separated by blank lines.
std::string SummarizeConfig(const ConfigSet&);
std::string SummarizeUnit(const ConfigSet&, int u);

// The inputs that drive output o (0..15) of unit u, e.g. "Master in 1, 3; Slave 2 in 16",
// or "none".
std::string DescribeOutputSources(const ConfigSet&, int u, int o);

// "Slave 2 in 16" for a reset entry; values outside the ranges are named as such.
std::string DescribeResetSource(std::int32_t resetDevice, std::int32_t resetInput);

// Ascending 1-based numbers with runs of three or more joined: "1-4, 6, 9, 10".
std::string FormatNumberList(const std::vector<int>& numbers);

std::string FormatOctets(const Octets&);

// A text in double quotes, control characters escaped as \xNN so that nothing a
// file holds can drive the terminal.
std::string QuoteText(const std::string& utf8);

}  // namespace valdro
