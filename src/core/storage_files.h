// What the stores share inside the persistence layer: whole-file reads and writes in the data
// directory (a corrupt file moved aside first) and the tube lists every record carries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/json.h"

namespace store::detail {

// The document of a data file; a null value when it is missing or does not parse.
json::Value readFile(const std::string& name);
// Writes the file whole, through a temporary file; one "[store]" line when that fails.
void writeFile(const std::string& name, const json::Value& value);
void removeFile(const std::string& name, json::Type expected);
json::Value tubesToJson(const std::vector<std::vector<int>>& tubes);
std::vector<std::vector<int>> tubesFromJson(const json::Value& v);
int64_t int64Of(const json::Value& v);

}  // namespace store::detail
