#pragma once
// The English and Hungarian texts of the windows and their messages (UTF-8).

#include "engine/Texts.h"

namespace velt::platform {

enum class WindowTextId {
    // Wait window
    WaitCaption,
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
    // Messages of start-up, the clipboard translation and the key action
    ComponentInstallFailed, ///< %1 = component file
    ClipboardTooLarge,
    TextTooLarge,   ///< %1 = the text's characters, %2 = the most that is coded
    MoreCharacters, ///< %1 = characters not shown
    KeyReplaceQuestion, ///< %1 = key file name
    KeyReceived,        ///< %1 = key file name, %2 = its positions
    KeyExchanged,       ///< %1 = key file name, %2 = its positions
    KeyFormed,          ///< %1 = key file name, %2 = its positions
    KeySameFileReminder, ///< %1 = the key's fingerprint
    KeyFingerprintLabel, ///< %1 = the key's fingerprint
    KeyUnsoundReplaceQuestion, ///< %1 = key file, %2 = what is wrong with it
    KeyLengthDiffers,   ///< %1 = key file, %2 = its records, %3 = the key length in use
    KeyLengthBeyondFile, ///< %1 = key file, %2 = its records, %3 = the key length set
    KeyPlaceRepaired,   ///< %1 = key file or folder
    KeyPlaceAdvice,
    FolderBrowserTitle,
    // File window
    FileFrame,
    SelectedFileLabel,
    ResultFileLabel,
    FileStart,
    DirectSaveNote,
    DirectSaveStart,
    ResultNameTooLong, ///< %1 = the result name's length in bytes, %2 the folder's limit
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
    FolderStopTitle,
    Count_
};

/// The text in `language`, or nullopt for a value without texts.
std::optional<std::string_view> Text(WindowTextId id, Language language);

/// Text() with %1, %2, ... replaced by `args`.
std::optional<std::string> FormatText(WindowTextId id, Language language,
                                      std::initializer_list<std::string_view> args);

} // namespace velt::platform
