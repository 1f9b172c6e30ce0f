#pragma once
// The commands of velt-cli. Each takes the arguments after its name and returns the exit status.

#include <span>

namespace velt::cli {

int Keygen(std::span<char* const> args);
int Check(std::span<char* const> args);

} // namespace velt::cli
