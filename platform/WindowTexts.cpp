#include "platform/WindowTexts.h"

#include <iterator>

namespace velt::platform {
namespace {

constexpr TextEntry<WindowTextId> kWindowTexts[] = {
    {WindowTextId::WaitCaption, "Please wait ...", "Kérlek várj ..."},
    {WindowTextId::KeyFileLabel, "Key file ? :", "Kulcs fájl ? :"},
    {WindowTextId::VersionLabel, "Version number :", "Verziószám :"},
    {WindowTextId::LanguageLabel, "Language :", "Nyelv :"},
    {WindowTextId::JobTab, "JOB ...", "FELADAT ..."},
    {WindowTextId::SendingFrame, "SENDING", "KÜLDÉS"},
    {WindowTextId::ReceptionFrame, "RECEPTION", "FOGADÁS"},
    {WindowTextId::TranslateTooltip, "The translation of the content of the clipboard back and forth",
     "A vágólap tartalmának fordítása oda-vissza"},
    {WindowTextId::DirectEntry, "Direct entry", "Közvetlen beírás"},
    {WindowTextId::FileConvert, "File convert", "Fájl konvertálása"},
    {WindowTextId::FromClipboard, "From a clipboard", "Vágólapról"},
    {WindowTextId::FromFile, "From a file", "Fájlból"},
    {WindowTextId::ConvertFolder, "Convert a folder", "Mappa konvertálása"},
    {WindowTextId::FolderRestore, "Folder restore", "Mappa visszaállítás"},
    {WindowTextId::SelectFileTitle, "The selection of file ...", "File kiválasztása ..."},
    {WindowTextId::AllFilesFilter, "All file (*.*)", "Minden fájl (*.*)"},
    {WindowTextId::VeltFilesFilter, "VELT file (*.JPG)", "VELT fájl (*.JPG)"},
    {WindowTextId::KeyDialogFilter, "KEY file (*.orb)| *.orb", "Kulcs fájl (*.orb)| *.orb"},
    {WindowTextId::KeyDialogTitle, "ATTENTION ! Key file formation / exchange ...",
     "FIGYELEM ! Kulcsfájl létrehozás / csere ..."},
    {WindowTextId::AccessibleSlider, "Key length", "Kulcshossz"},
    {WindowTextId::AccessibleReference, "Reference text", "Referenciaszöveg"},
    {WindowTextId::AccessibleKeyPresent, "Key file present", "Van kulcsfájl"},
    {WindowTextId::AccessibleClipboardWindow, "Clipboard window", "Vágólap ablak"},
    {WindowTextId::AccessibleLanguage, "Language", "Nyelv"},
    {WindowTextId::AccessibleMatrix, "Matrix", "Mátrix"},
    {WindowTextId::ComponentInstallFailed,
     "The runtime component %1 could not be installed; Velt starts without it.",
     "A(z) %1 futtatási összetevő nem telepíthető; a Velt nélküle indul."},
    {WindowTextId::ClipboardTooLarge, "The text on the clipboard is too large to be translated; it stays as it was.",
     "A vágólapon lévő szöveg túl nagy a fordításhoz; változatlan marad."},
    {WindowTextId::TextTooLarge, "The text has %1 characters; Velt codes at most %2 at a time. Nothing was changed.",
     "A szöveg %1 karakterből áll; a Velt egyszerre legfeljebb %2 karaktert kódol. Semmi sem változott."},
    {WindowTextId::MoreCharacters, "[... and %1 more characters, not shown here]",
     "[... és még %1 karakter, amely itt nem látszik]"},
    {WindowTextId::KeyReplaceQuestion,
     "A different file %1 already lies in the program's folder. Replace it with the chosen key? Letters "
     "and files coded with it can then no longer be read.",
     "A program mappájában már van egy másik %1 nevű fájl. Lecseréljem a kiválasztott kulcsra? A vele "
     "kódolt levelek és fájlok ezután nem fejthetők vissza."},
    {WindowTextId::KeyReceived, "The key %1 (%2 positions) was copied into the program's folder and is now in use.",
     "A(z) %1 kulcs (%2 pozíció) a program mappájába került, és most ez van használatban."},
    {WindowTextId::KeyExchanged, "The key %1 (%2 positions) is now in use.",
     "A(z) %1 kulcs (%2 pozíció) van most használatban."},
    {WindowTextId::KeyFormed, "A new key of %2 positions was formed in %1 and is now in use.",
     "Új, %2 pozíciós kulcs készült a(z) %1 fájlba, és most ez van használatban."},
    {WindowTextId::KeySameFileReminder,
     "Fingerprint: %1\n\nYour correspondent needs this very key file. Hand it over in person, then "
     "read the fingerprint to each other by phone: it must be the same on both sides.",
     "Ujjlenyomat: %1\n\nA levelezőpartnerednek pontosan erre a kulcsfájlra van szüksége. Személyesen add "
     "át, majd telefonon olvassátok fel egymásnak az ujjlenyomatot: mindkét oldalon egyeznie kell."},
    {WindowTextId::KeyFingerprintLabel, "Fingerprint: %1", "Ujjlenyomat: %1"},
    {WindowTextId::KeyUnsoundReplaceQuestion,
     "The key file %1 could not be read whole and sound:\n%2\n\nA new key formed in its place replaces "
     "it, and letters and files coded with it can then no longer be read. Form a new key in its place?",
     "A(z) %1 kulcsfájl nem olvasható be épen:\n%2\n\nA helyére készülő új kulcs felülírja, és a vele "
     "kódolt levelek és fájlok ezután nem fejthetők vissza. Készüljön új kulcs a helyére?"},
    {WindowTextId::KeyLengthDiffers,
     "The key file %1 holds %2 positions, but only the first %3 are used for coding. Your correspondent "
     "must set the key length to %3 as well, or letters longer than %3 characters will not decode.",
     "A(z) %1 kulcsfájl %2 pozíciót tartalmaz, de a kódolás csak az első %3 pozíciót használja. A "
     "levelezőpartnerednek is %3 kulcshosszt kell beállítania, különben a %3 karakternél hosszabb "
     "levelek nem fejthetők vissza."},
    {WindowTextId::KeyLengthBeyondFile,
     "The key file %1 holds only %2 positions: a key length of %3 cannot be used with it, and coding "
     "will fail. Set %2 or less, the same as your correspondent.",
     "A(z) %1 kulcsfájl csak %2 pozíciót tartalmaz: %3 kulcshossz nem használható vele, a kódolás nem "
     "fog sikerülni. Állíts be legfeljebb %2 értéket, ugyanazt, mint a levelezőpartnered."},
    {WindowTextId::KeyPlaceRepaired, "Other users could change %1; it is now writable by you alone.",
     "A(z) %1 más felhasználók által is módosítható volt; most már csak te írhatod."},
    {WindowTextId::KeyPlaceAdvice, "Keep the key in a folder that only you can write.",
     "A kulcsot olyan mappában tartsd, amelyet csak te írhatsz."},
    {WindowTextId::FolderBrowserTitle, "Choose a folder ...", "Mappa kiválasztása ..."},
    {WindowTextId::FileFrame, "File ", "Fájl "},
    {WindowTextId::SelectedFileLabel, "The name of the selected file:", "A kiválasztott fájl neve:"},
    {WindowTextId::ResultFileLabel, "The result the name of a file:", "Az eredmény fájl neve:"},
    {WindowTextId::FileStart, "START PROCESS", "FOLYAMAT INDÍTÁSA"},
    {WindowTextId::DirectSaveNote, "A rescue was direct ...!", "Közvetlen mentés volt...!"},
    {WindowTextId::DirectSaveStart, "Reprimand", "Beolvasás"},
    {WindowTextId::ResultNameTooLong,
     "The result's name would be %1 bytes long; this folder takes names of at most %2 bytes. Shorten the "
     "file's name first.",
     "Az eredmény neve %1 bájt hosszú lenne; ebben a mappában a név legfeljebb %2 bájt lehet. Előbb "
     "rövidítsd a fájl nevét."},
    {WindowTextId::FolderCaption, "SELECTED FOLDER CONTENTS | SELECT !",
     "A KIVÁLASZTOTT MAPPA TARTALMA | VÁLASSZON !"},
    {WindowTextId::FolderStartConvert, "START CONVERT", "KONVERTÁLÁS INDÍTÁSA"},
    {WindowTextId::FolderStartRecovery, "START RECOVERY", "HELYREÁLLÍTÁS INDÍTÁSA"},
    {WindowTextId::FolderRunTitle, "Folder finished", "A mappa feldolgozása kész"},
    {WindowTextId::FolderRunSummary, "Files converted: %1\r\nKept, not overwritten: %2\r\nFailed: %3",
     "Konvertált fájlok: %1\r\nMegtartva, nem felülírva: %2\r\nSikertelen: %3"},
    {WindowTextId::OpenedPathMissing, "%1 cannot be opened: there is no such file or folder.",
     "%1 nem nyitható meg: nincs ilyen fájl vagy mappa."},
    {WindowTextId::StartProcess, "START PROCESS", "FOLYAMAT INDÍTÁSA"},
    {WindowTextId::SaveTooltip, "Save file", "Mentés fájlba"},
    {WindowTextId::PrintTooltip, "Active window print", "Aktív ablak nyomtatása"},
    {WindowTextId::EraseTooltip, "Erase content", "Tartalom törlése"},
    {WindowTextId::ExitTooltip, "Exit", "Kilépés az alkalmazásból"},
    {WindowTextId::NothingToCode, "Is not what to code ... !", "Nincs mit kódolni ... !"},
    {WindowTextId::NoSelectedText, "There is not a selected text ... !", "Nincs kijelölt szöveg ... !"},
    {WindowTextId::NothingToPrint, "Is not what to print ... ?!", "Nincs mit nyomtatni ... !"},
    {WindowTextId::SavePlainTitle, "The rescue of a selected text", "Kijelölt szöveg mentése"},
    {WindowTextId::SavePlainFilter, "Text file (*.TXT)| *.TXT", "Text file (*.TXT)| *.TXT"},
    {WindowTextId::SaveCodedTitle, "The rescue of a designate coded text", "Kijelölt kódolt szöveg mentése"},
    {WindowTextId::SaveCodedFilter, "Coded text file (*.JPG)| *.JPG", "Kódolt Text fájl (*.JPG)| *.JPG"},
    {WindowTextId::PrintFailed, "The text could not be printed.", "A szöveget nem sikerült kinyomtatni."},
    {WindowTextId::AccessiblePlainBox, "Plain text", "Nyílt szöveg"},
    {WindowTextId::AccessibleCodedBox, "Coded text", "Kódolt szöveg"},
    {WindowTextId::CancelButton, "Cancel", "Mégse"},
    {WindowTextId::FolderStopQuestion,
     "The conversion of %1 was cancelled; nothing was written.\r\nStop converting the remaining files?",
     "A(z) %1 konvertálása megszakítva, semmi sem íródott ki.\r\nLeállítsam a többi fájl konvertálását?"},
    {WindowTextId::FolderRunCancelled, "Cancelled, not converted: %1", "Megszakítva, nem konvertálva: %1"},
    {WindowTextId::FolderStopTitle, "Stop converting?", "Leállítsam a konvertálást?"},
};

static_assert(std::size(kWindowTexts) == static_cast<std::size_t>(WindowTextId::Count_), "every text needs an entry");
static_assert(IsWholeTextTable(kWindowTexts), "entries stand in WindowTextId order, each in both languages");

} // namespace

std::optional<std::string_view> Text(WindowTextId id, Language language) {
    return InLanguage(kWindowTexts[static_cast<std::size_t>(id)], language);
}

std::optional<std::string> FormatText(WindowTextId id, Language language,
                                      std::initializer_list<std::string_view> args) {
    return FillIn(Text(id, language), args);
}

} // namespace velt::platform
