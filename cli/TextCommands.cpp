#include "cli/TextCommands.h"

#include "cli/CodingInputs.h"
#include "cli/DefaultKey.h"
#include "cli/Options.h"
#include "cli/TextStreams.h"
#include "engine/AppState.h"
#include "engine/Armour.h"
#include "engine/CodePage.h"
#include "engine/Errors.h"
#include "engine/KeyMaterial.h"
#include "engine/SystemServices.h"
#include "engine/Texts.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace velt::cli {
namespace {

constexpr std::size_t kChunk = 1 << 20;

constexpr std::string_view kEncodeHelp =
    "Usage: velt-cli encode [--key FILE] [--ref-file FILE] [--bytes]\n"
    "Reads plain text (UTF-8) on standard input and writes its armoured coded text.\n"
    "\n"
    "  --key FILE       the key file (default: KEY.ORB here, else in Velt's folder; see velt-cli --help)\n"
    "  --ref-file FILE  the reference text: the file's whole content without a final line end\n"
    "  --bytes          standard input holds raw single-byte codes (Windows-1250), not UTF-8\n";

constexpr std::string_view kDecodeHelp =
    "Usage: velt-cli decode [--key FILE] [--ref-file FILE] [--bytes]\n"
    "Reads a text holding an armoured coded text on standard input (anything around it is\n"
    "ignored) and writes the plain text (UTF-8).\n"
    "\n"
    "  --key FILE       the key file (default: KEY.ORB here, else in Velt's folder; see velt-cli --help)\n"
    "  --ref-file FILE  the reference text: the file's whole content without a final line end\n"
    "  --bytes          write raw single-byte codes (Windows-1250), not UTF-8\n";

struct TextOptions {
    std::filesystem::path key;
    std::optional<std::filesystem::path> refFile;
    bool bytes = false;
};

TextOptions FromOptions(const Options& options) {
    TextOptions text;
    const auto key = options.Value("key");
    text.key = key ? std::filesystem::path(*key) : DefaultKeyFile();
    if (const auto refFile = options.Value("ref-file")) {
        text.refFile = *refFile;
    }
    text.bytes = options.Has("bytes");
    return text;
}

struct Session {
    FixedReferenceText reference;
    AppState state;

    Session(const TextOptions& options, std::string referenceCodes)
        : reference(std::move(referenceCodes)),
          state(options.key.has_parent_path() ? options.key.parent_path() : std::filesystem::path("."),
                Services{.reference = &reference}) {
        state.keyFileName = options.key.filename().string();
        state.keyLength = KeyLengthOf(options.key);
    }
};

/// Hands standard input to `feed` in pieces until it ends or `done` says no more is wanted.
template <class Feed, class Done> void ReadPieces(std::istream& in, Feed feed, Done done) {
    std::string chunk(kChunk, '\0');
    while (!done() && (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0)) {
        feed(std::string_view(chunk.data(), static_cast<std::size_t>(in.gcount())));
    }
    if (in.bad()) {
        throw VeltError(ErrorKind::FileReadFailed, "cannot read standard input", 0, 0, "standard input");
    }
}

TextSink WriteTo(std::ostream& out) {
    return [&out](std::string_view piece) { out.write(piece.data(), static_cast<std::streamsize>(piece.size())); };
}

void Flush(std::ostream& out) {
    out.flush();
    if (!out) {
        throw VeltError(ErrorKind::FileWriteFailed, "cannot write standard output", 0, 0, "standard output");
    }
}

template <typename Body>
int Run(std::span<char* const> args, std::string_view help, std::ostream& out, std::ostream& err, Body body) {
    try {
        const Options options(args, {{"key", true}, {"ref-file", true}, {"bytes", false}});
        if (options.Help()) {
            out << help;
            return kExitOk;
        }
        body(FromOptions(options));
        return kExitOk;
    } catch (const UsageError& error) {
        err << "velt-cli: " << error.what() << '\n';
        return kExitUsage;
    } catch (const VeltError& error) {
        err << "velt-cli: " << DescribeError(error, Language::English);
        if (error.kind == ErrorKind::UncodableCharacter && error.codePoint == 0xFFFD) {
            // Malformed input, most likely not UTF-8.
            err << ' ' << *Text(TextId::InvalidUtf8Hint, Language::English);
        }
        err << '\n';
    } catch (const std::bad_alloc&) {
        err << "velt-cli: not enough memory for this text\n";
    } catch (const std::exception& error) {
        err << "velt-cli: " << error.what() << '\n';
    }
    return kExitFailure;
}

} // namespace

int RunEncode(std::span<char* const> args, std::istream& in, std::ostream& out, std::ostream& err) {
    return Run(args, kEncodeHelp, out, err, [&](const TextOptions& options) {
        const std::string reference = options.refFile ? ReadReference(*options.refFile) : "";
        auto session = std::make_unique<Session>(options, reference);
        TextEncoder encoder(session->state, options.bytes, WriteTo(out));
        ReadPieces(in, [&](std::string_view piece) { encoder.Feed(piece); }, [] { return false; });
        encoder.Finish();
        Flush(out);
    });
}

int RunDecode(std::span<char* const> args, std::istream& in, std::ostream& out, std::ostream& err) {
    return Run(args, kDecodeHelp, out, err, [&](const TextOptions& options) {
        const std::string reference = options.refFile ? ReadReference(*options.refFile) : "";
        auto session = std::make_unique<Session>(options, reference);
        TextDecoder decoder(session->state, options.bytes, WriteTo(out));
        ReadPieces(in, [&](std::string_view piece) { decoder.Feed(piece); }, [&] { return decoder.Done(); });
        decoder.Finish();
        Flush(out);
    });
}

} // namespace velt::cli
