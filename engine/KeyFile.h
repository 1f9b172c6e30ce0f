#pragma once
// The key file: records of 258 bytes, a little-endian length 256 and the 256 cells
// of one grid row by row, one record per key position, no header.

#include "engine/FileStreams.h"
#include "engine/KeyMaterial.h"
#include "engine/Platform.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velt {

/// One grid as written to the key file: row 1 columns 1..16, then row 2, ...
using KeyRecord = std::array<std::uint8_t, kGridCells>;

/// What tells one state of a file from another: any write to it or replacement of it changes
/// one of these (the change time moves on with every write, and no call sets it back).
struct FileIdentity {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = -1, modified = 0, changed = 0; ///< times in nanoseconds since 1970
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

/// Reads at most `maxBytes` of `file` with a single read. Throws VeltError
/// (KeyFileMissing, KeyFileUnreadable, NotRegularFile without waiting on a pipe);
/// `name` is how messages call the file. With `identity`, the file's as it was opened.
std::vector<std::uint8_t> ReadKeyBytes(const std::filesystem::path& file, std::size_t maxBytes,
                                       const std::string& name, FileIdentity* identity = nullptr);

/// A key file read whole and found sound.
struct WholeKey {
    std::vector<std::uint8_t> bytes;
    int records = 0;
};

/// The key file's bytes and the length that LoadKeyFile() last filled a key's tables from.
struct LoadedKey {
    std::vector<std::uint8_t> bytes;
    int length = 0;
    /// The file as it was read, and whether its last change lay at least `settle` before the
    /// read began. Only then does an unchanged identity prove unchanged bytes: a write in the
    /// same tick of the file system's clock as the one before it may leave the times alone.
    FileIdentity identity;
    bool settled = false;
    std::int64_t settle = 3'000'000'000; ///< nanoseconds; file systems with 2-second times exist
};

/// The one check of a whole key file that every caller uses: 100 to 10000 records, each
/// whole, with the length field 256 and every code once. Throws VeltError (KeyFileEmpty,
/// KeyTooLong, KeyRecordTruncated, KeyRecordBadLength, KeyRecordNotPermutation naming the
/// first bad record, KeyOutOfRange, and the failures of ReadKeyBytes).
WholeKey ReadWholeKey(const std::filesystem::path& file, const std::string& name);

/// Reads positions 1..length of `file` into `key`, all or nothing: the tables are touched
/// only once the whole file has passed ReadWholeKey(). Throws VeltError (KeyTooLong for a
/// length above 10000, KeyTooShort for a length beyond the file's records, and the
/// failures of ReadWholeKey).
/// With `loaded`, what the tables were last filled from: a file that still holds those bytes at
/// the same length is neither checked nor filled again, and one that provably has not changed
/// since (see LoadedKey) is not even read again: a run over many files loads the key per file.
void LoadKeyFile(const std::filesystem::path& file, int length, KeyMaterial& key, IProgress& progress,
                 const std::string& name, LoadedKey* loaded = nullptr);

/// Collects the records of a new key and puts the key file in place in one step,
/// readable by its owner only, whatever file it replaces.
class KeyFileWriter final {
public:
    explicit KeyFileWriter(std::filesystem::path file, ITemporaryFiles* temporaries = nullptr);

    /// Record number `position` (1-based) of the new key file.
    void WriteKeyRecord(int position, const KeyRecord& record);
    /// Writes the file. On failure throws VeltError(KeyWriteFailed, or DestinationExists
    /// when `mode` forbids replacing a file that appeared meanwhile) and leaves the old
    /// file untouched and no temporary file behind.
    void Commit(CommitMode mode = CommitMode::Replace);

private:
    std::filesystem::path m_file;
    ITemporaryFiles* m_temporaries;
    std::vector<std::uint8_t> m_bytes;
};

} // namespace velt
