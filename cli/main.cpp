// velt-cli: the command-line companion of Velt.
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage = "Usage: velt-cli COMMAND [OPTIONS]\n"
                               "Velt's command-line companion.\n"
                               "\n"
                               "Run 'velt-cli COMMAND --help' for the options of a command.\n";

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    std::fprintf(stderr, "velt-cli: unknown command '%s'\n", argv[1]);
    return 2;
}
