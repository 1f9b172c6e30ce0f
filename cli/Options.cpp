#include "Options.h"

#include "Errors.h"
#include "Texts.h"

#include <charconv>
#include <cstdio>
#include <exception>

namespace velt::cli {

Options::Options(std::span<char* const> args, std::initializer_list<AcceptedOption> accepted,
                 bool takesOperands) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            m_help = true;
            continue;
        }
        if (takesOperands && arg == "--") {
            m_operands.insert(m_operands.end(), args.begin() + static_cast<std::ptrdiff_t>(i + 1),
                              args.end());
            break;
        }
        if (takesOperands && !arg.starts_with("-")) {
            m_operands.emplace_back(arg);
            continue;
        }
        if (!arg.starts_with("--")) {
            throw UsageError("unexpected argument '" + std::string(arg) + "'");
        }
        std::optional<std::string_view> inlineValue;
        if (const auto equals = arg.find('='); equals != std::string_view::npos) {
            inlineValue = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
        }
        const std::string_view name = arg.substr(2);
        const AcceptedOption* option = nullptr;
        for (const AcceptedOption& candidate : accepted) {
            if (candidate.name == name) {
                option = &candidate;
            }
        }
        if (option == nullptr) {
            throw UsageError("unknown option '" + std::string(arg) + "'");
        }
        std::string value;
        if (option->takesValue) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                throw UsageError("option '" + std::string(arg) + "' needs a value");
            }
        } else if (inlineValue) {
            throw UsageError("option '" + std::string(arg) + "' takes no value");
        }
        m_values[std::string(name)] = value;
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
        std::fprintf(stderr, "velt-cli: %s\n", DescribeError(error, 0).c_str());
        return kExitFailure;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velt-cli: %s\n", error.what());
        return kExitFailure;
    }
}

} // namespace velt::cli
