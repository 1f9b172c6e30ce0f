#include "cli/Options.h"

#include "engine/Errors.h"
#include "engine/Texts.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdio>
#include <exception>

namespace velt::cli {

namespace {

/// The option a CLI11 error names first: "--key: 1 required ..." or "force was given ...".
std::string NamedOption(const CLI::Error& error) {
    std::string name(error.what());
    name = name.substr(0, name.find_first_of(": "));
    return name.starts_with("--") ? name : "--" + name;
}

} // namespace

Options::Options(std::span<char* const> args, std::initializer_list<AcceptedOption> accepted,
                 bool takesOperands) {
    CLI::App app;
    app.set_help_flag();
    // Anything CLI11 does not know is left over and reported below in Velt's own words.
    app.allow_extras();
    CLI::Option* help = app.add_flag("-h,--help");
    std::vector<std::pair<const AcceptedOption*, CLI::Option*>> options;
    for (const AcceptedOption& option : accepted) {
        const std::string flag = "--" + std::string(option.name);
        // As before: the last of a repeated option counts, and a switch takes no value.
        options.emplace_back(&option, option.takesValue ? app.add_option(flag)->multi_option_policy(
                                                              CLI::MultiOptionPolicy::TakeLast)
                                                        : app.add_flag(flag)->disable_flag_override());
    }
    if (takesOperands) {
        app.add_option("operands", m_operands);
    }
    std::vector<std::string> reversed(args.rbegin(), args.rend()); // CLI11 takes them last first
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch& error) {
        if (std::string_view(error.what()).find("flag override") != std::string_view::npos) {
            throw UsageError("option '" + NamedOption(error) + "' takes no value");
        }
        throw UsageError("option '" + NamedOption(error) + "' needs a value");
    } catch (const CLI::Error& error) {
        throw UsageError(error.what());
    }
    // A lone "-" before "--" is no file name here, as no command reads standard input by it.
    for (const char* arg : args) {
        if (std::string_view(arg) == "--") {
            break;
        }
        if (std::string_view(arg) == "-") {
            throw UsageError("unexpected argument '-'");
        }
    }
    for (const std::string& extra : app.remaining()) {
        if (takesOperands && extra == "--") {
            continue; // the end of the options, which CLI11 has honoured
        }
        if (extra.starts_with("--")) {
            throw UsageError("unknown option '" + extra.substr(0, extra.find('=')) + "'");
        }
        throw UsageError("unexpected argument '" + extra + "'");
    }
    m_help = help->count() > 0;
    for (const auto& [accepted, option] : options) {
        if (option->count() > 0) {
            m_values[std::string(accepted->name)] =
                accepted->takesValue ? option->results().back() : std::string();
        }
    }
}

std::optional<std::string> Options::Value(std::string_view name) const {
    const auto found = m_values.find(std::string(name));
    if (found == m_values.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<long> Options::Number(std::string_view name, long min, long max) const {
    const auto text = Value(name);
    if (!text) {
        return std::nullopt;
    }
    long number = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, number);
    if (text->empty() || error != std::errc() || stop != end || number < min || number > max) {
        throw UsageError("--" + std::string(name) + " must be a whole number from " + std::to_string(min) +
                         " to " + std::to_string(max) + ", not '" + *text + "'");
    }
    return number;
}

int RunCommand(std::span<char* const> args, std::initializer_list<AcceptedOption> accepted,
               std::string_view usage, int (*body)(const Options&)) {
    try {
        const Options options(args, accepted);
        if (options.Help()) {
            std::fwrite(usage.data(), 1, usage.size(), stdout);
            return kExitOk;
        }
        return body(options);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "velt-cli: %s\n", error.what());
        return kExitUsage;
    } catch (const VeltError& error) {
        std::fprintf(stderr, "velt-cli: %s\n", DescribeError(error, Language::English).c_str());
        return kExitFailure;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velt-cli: %s\n", error.what());
        return kExitFailure;
    }
}

} // namespace velt::cli
