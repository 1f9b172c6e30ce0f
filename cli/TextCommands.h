#pragma once
// velt-cli encode / decode: armoured coded text on the command line.

#include <iosfwd>
#include <span>

namespace velt::cli {

/// `encode [--key FILE] [--ref-file FILE] [--bytes]`: plain text on `in`, the armoured
/// coded text and a line end on `out`. Returns the exit status (0, 1 failure, 2 bad usage).
int RunEncode(std::span<char* const> args, std::istream& in, std::ostream& out, std::ostream& err);

/// `decode [--key FILE] [--ref-file FILE] [--bytes]`: a text holding an armoured coded
/// text on `in`, the plain text on `out`. Returns the exit status as RunEncode.
int RunDecode(std::span<char* const> args, std::istream& in, std::ostream& out, std::ostream& err);

} // namespace velt::cli
