// velt-cli: the command-line companion of Velt.
#include "TextCommands.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kUsage = "Usage: velt-cli COMMAND [OPTIONS]\n"
                               "Velt's command-line companion.\n"
                               "\n"
                               "Commands:\n"
                               "  encode   plain text on standard input to armoured coded text\n"
                               "  decode   armoured coded text on standard input to plain text\n"
                               "\n"
                               "Run 'velt-cli COMMAND --help' for the options of a command.\n";

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const std::string_view command = argv[1];
    const std::vector<std::string_view> args(argv + 2, argv + argc);
    std::ios::sync_with_stdio(false);
    if (command == "encode") {
        return velt::cli::RunEncode(args, std::cin, std::cout, std::cerr);
    }
    if (command == "decode") {
        return velt::cli::RunDecode(args, std::cin, std::cout, std::cerr);
    }
    std::fprintf(stderr, "velt-cli: unknown command '%s'\n", argv[1]);
    return 2;
}
