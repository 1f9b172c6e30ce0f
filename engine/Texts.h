#pragma once
// Every English and Hungarian text of the program, in one table (UTF-8).

#include "Language.h"

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
    // Wait window
    WaitCaption,
    PackingCaption,
    // Main window (in the order the language switch sets them)
    KeyFileLabel,
    VersionLabel,
    LanguageLabel,
    JobTab,
    SendingFrame,
    ReceptionFrame,
    TranslateTooltip,
    DirectEntry,
    FileConvert,
    FromClipboard,
    FromFile,
    ConvertFolder,
    FolderRestore,
    // Open-file dialogs of the file jobs
    SelectFileTitle,
    AllFilesFilter,
    VeltFilesFilter,
    // Key file dialog
    KeyDialogFilter,
    KeyDialogTitle,
    // Accessible names of controls without a visible text
    AccessibleSlider,
    AccessibleReference,
    AccessibleKeyPresent,
    AccessibleClipboardWindow,
    AccessibleLanguage,
    AccessibleMatrix,
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
    ComponentInstallFailed, ///< %1 = component file
    KeyFileExists,
    KeyFileEmpty,
    KeyRecordNotPermutation,
    ClipboardTooLarge,
    TextTooLarge,        ///< %1 = the text's characters, %2 = the most that is coded
    MoreCharacters,      ///< %1 = characters not shown
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
    KeyReplaceQuestion, ///< %1 = key file name
    KeyReceived,        ///< %1 = key file name, %2 = its positions
    KeyExchanged,       ///< %1 = key file name, %2 = its positions
    KeyFormed,          ///< %1 = key file name, %2 = its positions
    KeySameFileReminder, ///< %1 = the key's fingerprint
    KeyFingerprintLabel, ///< %1 = the key's fingerprint
    KeyUnsoundReplaceQuestion, ///< %1 = key file, %2 = what is wrong with it
    KeyLengthDiffers,   ///< %1 = key file, %2 = its records, %3 = the key length in use
    KeyLengthBeyondFile, ///< %1 = key file, %2 = its records, %3 = the key length set
    KeyPlaceNotOwned,   ///< %1 = key file or folder
    KeyPlaceOthersWrite, ///< %1 = key file or folder
    KeyPlaceRepaired,   ///< %1 = key file or folder
    KeyPlaceAdvice,
    KeyOptionAdvice,
    FolderBrowserTitle,
    // File window
    FileFrame,
    SelectedFileLabel,
    ResultFileLabel,
    FileStart,
    DirectSaveNote,
    DirectSaveStart,
    // Folder window
    FolderCaption,
    FolderStartConvert,
    FolderStartRecovery,
    FolderRunTitle,
    FolderRunSummary, ///< %1 converted, %2 kept, %3 failed
    OpenedPathMissing, ///< %1 = the path handed in
    // Direct entry editor
    StartProcess,
    SaveTooltip,
    PrintTooltip,
    EraseTooltip,
    ExitTooltip,
    NothingToCode,
    NoSelectedText,
    NothingToPrint,
    SavePlainTitle,
    SavePlainFilter,
    SaveCodedTitle,
    SaveCodedFilter,
    PrintFailed,
    AccessiblePlainBox,
    AccessibleCodedBox,
    // Cancel
    CancelButton,
    FolderStopQuestion, ///< %1 = the file whose conversion was cancelled
    FolderRunCancelled, ///< %1 files not converted because of a cancel
    Count_
};

/// The text in `language`, or nullopt for a value without texts.
std::optional<std::string_view> Text(TextId id, Language language);

/// Text() with %1, %2, ... replaced by `args`.
std::optional<std::string> FormatText(TextId id, Language language,
                                      std::initializer_list<std::string_view> args);

/// A one-line description of a failure in `language` (English for any other value).
std::string DescribeError(const VeltError& error, Language language);

} // namespace velt
