#pragma once
// A readable account of a ConfigSet for a terminal: all nine units with their
// network settings, flags, latches, reset inputs and input maps, in the screen's
// numbering (inputs and outputs 1..16, units by name).

#include <string>
#include <vector>

#include "config/config_set.h"

namespace valdro {

// All nine units, each with its title line, fields, reset inputs and input map,
// separated by blank lines.
std::string SummarizeConfig(const ConfigSet&);

// Ascending 1-based numbers with runs of three or more joined: "1-4, 6, 9, 10".
std::string FormatNumberList(const std::vector<int>& numbers);

std::string FormatOctets(const Octets&);

// A text in double quotes, control characters escaped as \xNN so that nothing a
// file holds can drive the terminal.
std::string QuoteText(const std::string& utf8);

}  // namespace valdro
