// Where the running executable and the installed asset directory are.
#pragma once

#include <string>

namespace paths {

std::string exeDir();
std::string assetDir();
std::string asset(const std::string& rel);

}  // namespace paths
