#pragma once
// Option parsing and exit statuses shared by every velt-cli command.

#include <initializer_list>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velt::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

/// Bad usage: an unknown option, a missing or malformed value. Exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// One option a command accepts: "--name VALUE" (or "--name=VALUE") when it takes a value,
/// else the switch "--name".
struct AcceptedOption {
    std::string_view name;
    bool takesValue = false;
};

/// The parsed options of one command. "--help" and "-h" are always accepted.
class Options final {
public:
    /// Parses the arguments after the command's name. Throws UsageError. With `takesOperands`,
    /// arguments that are not options (and all after "--") are kept as operands.
    Options(std::span<char* const> args, std::initializer_list<AcceptedOption> accepted,
            bool takesOperands = false);

    bool Help() const { return m_help; }
    bool Has(std::string_view name) const { return m_values.count(std::string(name)) != 0; }
    /// The value of an option that takes one, if given.
    std::optional<std::string> Value(std::string_view name) const;
    /// The value as a whole number in [min, max]; throws UsageError when it is not one.
    std::optional<long> Number(std::string_view name, long min, long max) const;
    /// The arguments that are not options, in order.
    const std::vector<std::string>& Operands() const { return m_operands; }

private:
    bool m_help = false;
    std::map<std::string, std::string> m_values;
    std::vector<std::string> m_operands;
};

/// Runs a command's body: `--help` prints `usage` to stdout; UsageError gives the
/// message and exit 2, any other failure a one-line message on stderr and exit 1.
int RunCommand(std::span<char* const> args, std::initializer_list<AcceptedOption> accepted,
               std::string_view usage, int (*body)(const Options&));

} // namespace velt::cli
