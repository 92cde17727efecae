#pragma once
// Field-by-field comparison of two ConfigSets, named the way a user finds them:
// unit name, field name, and for the input map the output, source unit and input.

#include <string>
#include <vector>

#include "config/config_set.h"

namespace valdro {

struct FieldDifference {
    std::string where;   // e.g. "Slave 2 IPAddr", "Master output 5 <- Slave 2 input 16"
    std::string first;   // the value in the first set, readable
    std::string second;  // the value in the second set
};

// Every differing field, units in order, then each unit's input map. Flags and cells
// are compared as the bytes they are (a stored 5 differs from 1); text fields
// compare their whole bytes, including what lies after the NUL.
std::vector<FieldDifference> DiffConfigs(const ConfigSet& first, const ConfigSet& second);

// "where: first -> second", one line each.
std::string FormatDifferences(const std::vector<FieldDifference>&);

}  // namespace valdro
