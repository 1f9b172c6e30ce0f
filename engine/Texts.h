#pragma once
// The English and Hungarian texts that the engine and velt-cli report (UTF-8); the windows
// keep their own beside them.

#include "engine/Language.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace velt {

class VeltError;

enum class TextId {
    // Message titles and messages
    ErrorTitle,
    KeyMissingText,
    OverwriteTitle,
    OverwriteText, ///< %1 = destination path
    BadFileText,
    // Wait window while a coded text is packed
    PackingCaption,
    // Failures the program reports in its own words (%1 = file, %2 = record or character)
    KeyMissingShort,
    KeyUnreadable,
    KeyTooLong,
    KeyTooShort,
    KeyRecordTruncated,
    KeyRecordBadLength,
    KeyWriteFailed,
    UncodableCharacter,
    OddCodedText,
    StrayInCodedText,
    UnclosedCodedText,
    FileReadFailed,
    FileWriteFailed,
    FileNameTooShort,
    NoCodedText,
    FolderMissing,
    DiskFull,
    FileTooLarge,
    KeyFileExists,
    KeyFileEmpty,
    KeyRecordNotPermutation,
    DestinationExists,
    KeyOutOfRange,
    NotRegularFile,
    // Why a file could not be read or written
    ReasonPermission,
    ReasonNameTooLong,
    ReasonReadOnly,
    ReasonNoRoom,
    ReasonOther, ///< %1 = one of the reasons above, or the system's own words
    InvalidUtf8Hint,
    // Key places that another user could swap keys in, and what velt-cli advises
    KeyPlaceNotOwned,    ///< %1 = key file or folder
    KeyPlaceOthersWrite, ///< %1 = key file or folder
    KeyOptionAdvice,
    Count_
};

/// One text of a table in both languages.
template <class Id> struct TextEntry {
    Id id;
    const char* english;
    const char* hungarian;
};

/// True when `table` holds its ids in order, each with a text in both languages.
template <class Id, std::size_t N> constexpr bool IsWholeTextTable(const TextEntry<Id> (&table)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        const TextEntry<Id>& entry = table[i];
        if (static_cast<std::size_t>(entry.id) != i || entry.english == nullptr ||
            entry.hungarian == nullptr || *entry.english == '\0' || *entry.hungarian == '\0') {
            return false;
        }
    }
    return true;
}

/// The text of `entry` in `language`, or nullopt for a value without texts.
template <class Id>
std::optional<std::string_view> InLanguage(const TextEntry<Id>& entry, Language language) {
    switch (language) {
    case Language::English:
        return entry.english;
    case Language::Hungarian:
        return entry.hungarian;
    }
    return std::nullopt;
}

/// `text` with %1, %2, ... replaced by `args` (an argument not given leaves nothing);
/// nullopt for no text.
std::optional<std::string> FillIn(std::optional<std::string_view> text,
                                  std::initializer_list<std::string_view> args);

/// The text in `language`, or nullopt for a value without texts.
std::optional<std::string_view> Text(TextId id, Language language);

/// Text() with %1, %2, ... replaced by `args`.
std::optional<std::string> FormatText(TextId id, Language language,
                                      std::initializer_list<std::string_view> args);

/// A one-line description of a failure in `language` (English for any other value).
std::string DescribeError(const VeltError& error, Language language);

} // namespace velt
