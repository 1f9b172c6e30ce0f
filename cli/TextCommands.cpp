#include "TextCommands.h"

#include "AppState.h"
#include "Armour.h"
#include "CodePage.h"
#include "Errors.h"
#include "KeyMaterial.h"
#include "Options.h"
#include "Texts.h"

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
    "  --key FILE       the key file (default: KEY.ORB in the current folder)\n"
    "  --ref-file FILE  the reference text: the file's whole content without a final line end\n"
    "  --bytes          standard input and the reference file hold raw single-byte codes\n"
    "                   (Windows-1250), not UTF-8\n";

constexpr std::string_view kDecodeHelp =
    "Usage: velt-cli decode [--key FILE] [--ref-file FILE] [--bytes]\n"
    "Reads a text holding an armoured coded text on standard input (anything around it is\n"
    "ignored) and writes the plain text (UTF-8).\n"
    "\n"
    "  --key FILE       the key file (default: KEY.ORB in the current folder)\n"
    "  --ref-file FILE  the reference text: the file's whole content without a final line end\n"
    "  --bytes          write raw single-byte codes (Windows-1250), not UTF-8; the reference\n"
    "                   file holds raw codes too\n";

struct TextOptions {
    std::filesystem::path key = "KEY.ORB";
    std::optional<std::filesystem::path> refFile;
    bool bytes = false;
};

TextOptions FromOptions(const Options& options) {
    TextOptions text;
    if (const auto key = options.Value("key")) {
        text.key = *key;
    }
    if (const auto refFile = options.Value("ref-file")) {
        text.refFile = *refFile;
    }
    text.bytes = options.Has("bytes");
    return text;
}

/// The reference text the coders read for every character; fixed for one command.
class ReferenceFile final : public IReferenceText {
public:
    explicit ReferenceFile(std::string codes) : m_codes(std::move(codes)) {}
    const std::string& Codes() override { return m_codes; }

private:
    std::string m_codes;
};

/// UTF-8 text to codes; a leading byte order mark, as some editors write, is no character of the text.
std::string FromUtf8Text(std::string_view utf8) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (utf8.starts_with(kByteOrderMark)) {
        utf8.remove_prefix(kByteOrderMark.size());
    }
    return codepage::FromUtf8(utf8);
}

std::string ReadReference(const std::filesystem::path& file, bool bytes) {
    const VeltError unreadable(ErrorKind::FileReadFailed, "cannot read the reference file", 0, 0,
                               file.string());
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) {
        throw unreadable;
    }
    std::string content;
    try {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            throw unreadable;
        }
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) {
            throw unreadable;
        }
    } catch (const std::ios_base::failure&) {
        throw unreadable;
    }
    // An editor's final line end is not part of the secret.
    if (!content.empty() && content.back() == '\n') {
        content.pop_back();
        if (!content.empty() && content.back() == '\r') {
            content.pop_back();
        }
    }
    return bytes ? content : FromUtf8Text(content);
}

/// The key length the file holds: its size in whole records, with a cut-off last record
/// counted so that loading names it instead of silently dropping it.
std::int16_t KeyLengthOf(const std::filesystem::path& keyFile) {
    std::error_code error;
    const auto size = std::filesystem::file_size(keyFile, error);
    if (error) {
        return 1; // loading reports the missing or unreadable file
    }
    const auto records = (size + kRecordSize - 1) / kRecordSize;
    return static_cast<std::int16_t>(std::clamp<std::uintmax_t>(records, 1, kKeyCapacity + 1));
}

struct Session {
    ReferenceFile reference;
    AppState state;

    Session(const TextOptions& options, std::string referenceCodes)
        : reference(std::move(referenceCodes)),
          state(options.key.has_parent_path() ? options.key.parent_path() : std::filesystem::path("."),
                Services{.reference = &reference}) {
        state.keyFileName = options.key.filename().string();
        state.keyLength = KeyLengthOf(options.key);
    }
};

std::string ReadAll(std::istream& in) {
    std::string text;
    std::string chunk(kChunk, '\0');
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        text.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        throw VeltError(ErrorKind::FileReadFailed, "cannot read standard input", 0, 0, "standard input");
    }
    return text;
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
        err << "velt-cli: " << DescribeError(error, 0) << '\n';
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
        const std::string reference = options.refFile ? ReadReference(*options.refFile, options.bytes) : "";
        auto session = std::make_unique<Session>(options, reference);
        AppState& state = session->state;
        {
            std::string input = ReadAll(in);
            state.plainText = options.bytes ? std::move(input) : FromUtf8Text(input);
        }
        state.EncodeText();
        std::string().swap(state.plainText); // not needed any more; keeps the peak low
        armour::PackTo(state.codedText, state.Progress(), [&out](std::string_view piece) {
            out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        });
        out << '\n';
        Flush(out);
    });
}

int RunDecode(std::span<char* const> args, std::istream& in, std::ostream& out, std::ostream& err) {
    return Run(args, kDecodeHelp, out, err, [&](const TextOptions& options) {
        const std::string reference = options.refFile ? ReadReference(*options.refFile, options.bytes) : "";
        auto session = std::make_unique<Session>(options, reference);
        AppState& state = session->state;
        {
            armour::Unpacker unpacker;
            std::string chunk(kChunk, '\0');
            while (!unpacker.Done() &&
                   (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0)) {
                unpacker.Feed(std::string_view(chunk.data(), static_cast<std::size_t>(in.gcount())));
            }
            if (in.bad()) {
                throw VeltError(ErrorKind::FileReadFailed, "cannot read standard input", 0, 0,
                                "standard input");
            }
            auto pairText = unpacker.Finish();
            if (!pairText) {
                throw std::runtime_error(std::string(*Text(TextId::NoCodedText, 0)));
            }
            state.codedText = std::move(*pairText);
        }
        state.DecodeText();
        std::string().swap(state.codedText);
        const std::string_view plain = state.plainText;
        for (std::size_t at = 0; at < plain.size(); at += kChunk) {
            const std::string_view piece = plain.substr(at, kChunk);
            if (options.bytes) {
                out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
            } else {
                const std::string text = codepage::ToUtf8(piece);
                out.write(text.data(), static_cast<std::streamsize>(text.size()));
            }
        }
        Flush(out);
    });
}

} // namespace velt::cli
