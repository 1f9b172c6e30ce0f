#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace velt {

/// What went wrong; the caller turns it into a message in the user's language.
enum class ErrorKind {
    KeyFileMissing,     ///< no key file of that name in the program's folder
    KeyFileUnreadable,  ///< exists but cannot be opened or read
    KeyTooLong,         ///< key length above the tables' capacity of 10000
    KeyTooShort,        ///< key length beyond the records in the file (record = first missing one)
    KeyRecordTruncated, ///< the file ends inside a record
    KeyRecordBadLength, ///< a record's length field is not 256
    KeyWriteFailed,     ///< a new key file could not be written
    UncodableCharacter, ///< a character without a single-byte code (codePoint says which)
    OddCodedText,       ///< an odd number of digits or pair characters
    StrayInCodedText,   ///< a character in a coded text's body that is no digit nor transport noise (codePoint)
    UnclosedCodedText,  ///< a coded text whose closing marker is missing
    FileReadFailed,     ///< a source file cannot be read
    FileWriteFailed,    ///< a destination cannot be written (full disk, missing folder, ...)
    FileNameTooShort,   ///< a coded file name with fewer than five characters
    FolderMissing,      ///< the folder a file is to be written into does not exist (path = the folder)
    DiskFull,           ///< no room left for a file being written
    FileTooLarge,       ///< a file too large to be held in memory as a text
    DestinationExists,  ///< a file took the destination's name while it was being written
    KeyRecordNotPermutation, ///< a key record does not hold each code once (record says which)
    KeyOutOfRange,      ///< a key file of fewer than 100 positions (record = its positions)
    NotRegularFile,     ///< a pipe, device or folder where a file is to be read
    KeyFileEmpty,       ///< a key file of no bytes
    KeyPlaceUnsafe,     ///< the key lies where another user could swap it (path = the key file)
};

/// A failure of an engine or conversion operation. `record` is the 1-based key
/// record concerned, `codePoint` the uncodable character, `path` the file concerned.
class VeltError : public std::runtime_error {
public:
    VeltError(ErrorKind kind, const std::string& what, int record = 0, char32_t codePoint = 0,
              std::string path = {})
        : std::runtime_error(what), kind(kind), record(record), codePoint(codePoint), path(std::move(path)) {}

    ErrorKind kind;
    int systemError = 0; ///< the operating system's error number behind it, if any (errno)
    int record;
    char32_t codePoint;
    std::string path;
};

} // namespace velt
