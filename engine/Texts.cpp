#include "engine/Texts.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <cstdio>

#include "engine/Errors.h"
#include "engine/Utf8.h"

namespace velt {
namespace {

constexpr TextEntry<TextId> kTexts[] = {
    {TextId::ErrorTitle, "ERROR", "HIBA"},
    {TextId::KeyMissingText,
     "YOU WERE NOT ELIGIBLE FOR THE INSPECTION OF THE TEXT !\r\nThe key file does not exist !",
     "ÖN NEM JOGOSULT A SZÖVEG MEGTEKINTÉSÉRE !\r\nA kulcsfájl nem létezik !"},
    {TextId::OverwriteTitle, "The file gets deleted finally !!!", "A file végleg törlődik !!!"},
    {TextId::OverwriteText, "File %1 is exist !\r\nWe coded this once already I may overwrite it ??",
     "A(z) %1 létezik !\r\nEzt már egyszer kódoltuk ! Felülírhatom ??"},
    {TextId::BadFileText, "BAD FILE !\r\nControl over the content of error !",
     "HIBÁS FÁJL !\r\nA tartalom ellenőrzése során hiba lépett fel !"},
    {TextId::PackingCaption, "Várj...  ", "Várj...  "},
    {TextId::KeyMissingShort, "The key file %1 does not exist.", "A(z) %1 kulcsfájl nem létezik."},
    {TextId::KeyUnreadable, "The key file %1 cannot be read.", "A(z) %1 kulcsfájl nem olvasható."},
    {TextId::KeyTooLong, "The key length is above 10000; the key file %1 cannot be used.",
     "A kulcshossz nagyobb 10000-nél; a(z) %1 kulcsfájl nem használható."},
    {TextId::KeyTooShort, "The key file %1 is too short: record %2 is missing.",
     "A(z) %1 kulcsfájl túl rövid: a(z) %2. rekord hiányzik."},
    {TextId::KeyRecordTruncated, "The key file %1 is damaged: record %2 is cut short.",
     "A(z) %1 kulcsfájl sérült: a(z) %2. rekord csonka."},
    {TextId::KeyRecordBadLength, "The key file %1 is damaged: record %2 has a wrong length field.",
     "A(z) %1 kulcsfájl sérült: a(z) %2. rekord hosszmezője hibás."},
    {TextId::KeyWriteFailed, "The key file %1 could not be written.", "A(z) %1 kulcsfájl nem írható."},
    {TextId::UncodableCharacter, "The character %2 cannot be coded.", "A(z) %2 karakter nem kódolható."},
    {TextId::OddCodedText, "The coded text is damaged: it has an odd number of characters.",
     "A kódolt szöveg sérült: páratlan számú karaktert tartalmaz."},
    {TextId::StrayInCodedText, "The coded text is damaged: it holds the character %2, which is no hexadecimal digit.",
     "A kódolt szöveg sérült: a(z) %2 karakter nem hexadecimális számjegy."},
    {TextId::UnclosedCodedText, "The coded text is damaged: its closing marker (two quotation marks) is missing.",
     "A kódolt szöveg sérült: hiányzik a záró jele (két idézőjel)."},
    {TextId::FileReadFailed, "The file %1 cannot be read.", "A(z) %1 fájl nem olvasható."},
    {TextId::FileWriteFailed, "The file %1 could not be written; nothing was saved.",
     "A(z) %1 fájl nem írható; semmi sem lett mentve."},
    {TextId::FileNameTooShort, "The name of %1 is too short for a coded file.",
     "A(z) %1 neve túl rövid egy kódolt fájlhoz."},
    {TextId::NoCodedText, "No coded text was found.", "Nem található kódolt szöveg."},
    {TextId::FolderMissing, "The folder %1 does not exist; nothing was written.",
     "A(z) %1 mappa nem létezik; semmi sem lett kiírva."},
    {TextId::DiskFull, "There is no room left on the disk for %1; nothing was written.",
     "Nincs elég hely a lemezen a(z) %1 számára; semmi sem lett kiírva."},
    {TextId::FileTooLarge, "The file %1 is too large to be read as a text.",
     "A(z) %1 fájl túl nagy ahhoz, hogy szövegként beolvassam."},
    {TextId::KeyFileExists, "The file %1 already exists; give --force to replace it.",
     "A(z) %1 fájl már létezik; a cseréjéhez add meg a --force kapcsolót."},
    {TextId::KeyFileEmpty, "The key file %1 is empty.", "A(z) %1 kulcsfájl üres."},
    {TextId::KeyRecordNotPermutation, "The key file %1 is damaged: record %2 does not hold every code once.",
     "A(z) %1 kulcsfájl sérült: a(z) %2. rekord nem tartalmaz minden kódot pontosan egyszer."},
    {TextId::DestinationExists, "The file %1 appeared meanwhile and was kept; nothing was written.",
     "A(z) %1 fájl közben létrejött, és megmaradt; semmi sem íródott ki."},
    {TextId::KeyOutOfRange, "The key file %1 holds %2 positions; a key needs 100 to 10000.",
     "A(z) %1 kulcsfájl %2 pozíciót tartalmaz; egy kulcshoz 100-10000 kell."},
    {TextId::NotRegularFile, "%1 is not a regular file (but a pipe, a device or a folder); nothing was read.",
     "A(z) %1 nem közönséges fájl (hanem csővezeték, eszköz vagy mappa); semmi sem lett beolvasva."},
    {TextId::ReasonPermission, "permission denied", "nincs hozzá jogosultság"},
    {TextId::ReasonNameTooLong, "the name is too long", "a név túl hosszú"},
    {TextId::ReasonReadOnly, "the file system is read-only", "a fájlrendszer csak olvasható"},
    {TextId::ReasonNoRoom, "no room left", "nincs több hely"},
    {TextId::ReasonOther, "Reason: %1.", "Ok: %1."},
    {TextId::InvalidUtf8Hint, "The input is not valid UTF-8; give --bytes for raw single-byte codes.",
     "A bemenet nem érvényes UTF-8; nyers egybájtos kódokhoz add meg a --bytes kapcsolót."},
    {TextId::KeyPlaceNotOwned, "%1 belongs to another user, who could read or swap the key; it is not used.",
     "A(z) %1 egy másik felhasználóé, aki olvashatja vagy kicserélheti a kulcsot; nem használom."},
    {TextId::KeyPlaceOthersWrite, "%1 can be changed by other users, who could swap the key; it is not used.",
     "A(z) %1 más felhasználók által is módosítható, akik kicserélhetik a kulcsot; nem használom."},
    {TextId::KeyOptionAdvice, "Name the key you mean with --key FILE.",
     "A használni kívánt kulcsot a --key FÁJL kapcsolóval add meg."},
};

static_assert(std::size(kTexts) == static_cast<std::size_t>(TextId::Count_), "every text needs an entry");

static_assert(IsWholeTextTable(kTexts), "entries stand in TextId order, each in both languages");

std::string CodePointText(char32_t c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
    std::string utf8;
    utf8::Append(utf8, c);
    return "\"" + utf8 + "\" (" + buffer + ")";
}

} // namespace

std::optional<std::string_view> Text(TextId id, Language language) {
    return InLanguage(kTexts[static_cast<std::size_t>(id)], language);
}

std::optional<std::string> FillIn(std::optional<std::string_view> pattern,
                                  std::initializer_list<std::string_view> args) {
    if (!pattern) {
        return std::nullopt;
    }
    const std::string_view text = *pattern;
    std::string out;
    out.reserve(text.size() + 64);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(text[i + 1] - '1');
            if (n < args.size()) {
                out += *(args.begin() + n);
            }
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> FormatText(TextId id, Language language,
                                      std::initializer_list<std::string_view> args) {
    return FillIn(Text(id, language), args);
}

static std::string DescribeKind(const VeltError& error, Language lang) {
    const std::string record = std::to_string(error.record);
    auto say = [&](TextId id, std::string_view second = {}) {
        return *FormatText(id, lang, {error.path, second});
    };
    switch (error.kind) {
    case ErrorKind::KeyFileMissing: return say(TextId::KeyMissingShort);
    case ErrorKind::KeyFileUnreadable: return say(TextId::KeyUnreadable);
    case ErrorKind::KeyTooLong: return say(TextId::KeyTooLong);
    case ErrorKind::KeyTooShort: return say(TextId::KeyTooShort, record);
    case ErrorKind::KeyRecordTruncated: return say(TextId::KeyRecordTruncated, record);
    case ErrorKind::KeyRecordBadLength: return say(TextId::KeyRecordBadLength, record);
    case ErrorKind::KeyWriteFailed: return say(TextId::KeyWriteFailed);
    case ErrorKind::UncodableCharacter: return say(TextId::UncodableCharacter, CodePointText(error.codePoint));
    case ErrorKind::OddCodedText: return say(TextId::OddCodedText);
    case ErrorKind::StrayInCodedText: return say(TextId::StrayInCodedText, CodePointText(error.codePoint));
    case ErrorKind::UnclosedCodedText: return say(TextId::UnclosedCodedText);
    case ErrorKind::FileReadFailed: return say(TextId::FileReadFailed);
    case ErrorKind::FileWriteFailed: return say(TextId::FileWriteFailed);
    case ErrorKind::FileNameTooShort: return say(TextId::FileNameTooShort);
    case ErrorKind::FolderMissing: return say(TextId::FolderMissing);
    case ErrorKind::DiskFull: return say(TextId::DiskFull);
    case ErrorKind::FileTooLarge: return say(TextId::FileTooLarge);
    case ErrorKind::DestinationExists: return say(TextId::DestinationExists);
    case ErrorKind::KeyRecordNotPermutation: return say(TextId::KeyRecordNotPermutation, record);
    case ErrorKind::KeyOutOfRange: return say(TextId::KeyOutOfRange, record);
    case ErrorKind::NotRegularFile: return say(TextId::NotRegularFile);
    case ErrorKind::KeyFileEmpty: return say(TextId::KeyFileEmpty);
    case ErrorKind::KeyPlaceUnsafe: return say(TextId::KeyPlaceOthersWrite);
    }
    return error.what();
}

namespace {

/// The reason behind a failed file operation, in `language`.
std::string Reason(int error, Language language) {
    switch (error) {
    case EACCES:
    case EPERM: return std::string(*Text(TextId::ReasonPermission, language));
    case ENAMETOOLONG: return std::string(*Text(TextId::ReasonNameTooLong, language));
    case EROFS: return std::string(*Text(TextId::ReasonReadOnly, language));
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return std::string(*Text(TextId::ReasonNoRoom, language));
    default: return std::strerror(error); // the system's words, for the rarer causes
    }
}

} // namespace

std::string DescribeError(const VeltError& error, Language language) {
    const Language lang = SpokenLanguage(language);
    std::string text = DescribeKind(error, lang);
    const bool hasReason = error.kind == ErrorKind::FileReadFailed || error.kind == ErrorKind::FileWriteFailed ||
                           error.kind == ErrorKind::KeyFileUnreadable || error.kind == ErrorKind::KeyWriteFailed;
    if (hasReason && error.systemError != 0) {
        text += ' ';
        text += *FormatText(TextId::ReasonOther, lang, {Reason(error.systemError, lang)});
    }
    return text;
}

} // namespace velt
