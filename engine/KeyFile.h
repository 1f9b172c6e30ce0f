#pragma once
// The key file: records of 258 bytes, a little-endian length 256 and the 256 cells
// of one grid row by row, one record per key position, no header.

#include "FileStreams.h"
#include "KeyMaterial.h"
#include "Platform.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velt {

/// One grid as written to the key file: row 1 columns 1..16, then row 2, ...
using KeyRecord = std::array<std::uint8_t, kGridCells>;

/// Reads at most `maxBytes` of `file` with a single read. Throws VeltError
/// (KeyFileMissing, KeyFileUnreadable, NotRegularFile without waiting on a pipe);
/// `name` is how messages call the file.
std::vector<std::uint8_t> ReadKeyBytes(const std::filesystem::path& file, std::size_t maxBytes,
                                       const std::string& name);

/// Checks that `bytes` holds `length` whole records whose length fields are 256.
/// Throws VeltError naming the first bad record (KeyTooShort when the bytes end
/// between records, KeyRecordTruncated inside one, KeyRecordBadLength).
void CheckRecordFrames(const std::vector<std::uint8_t>& bytes, int length, const std::string& name);

/// The first record (1-based) of `bytes` whose cells do not hold each code exactly
/// once, or 0 when every whole record does.
int FirstNonPermutationRecord(const std::vector<std::uint8_t>& bytes);

/// Reads positions 1..length of `file` into `key`, all or nothing: the tables are
/// touched only once the whole file has been checked. Throws VeltError (KeyTooLong
/// for a length above 10000, KeyRecordNotPermutation, and the failures of ReadKeyBytes
/// and CheckRecordFrames).
void LoadKeyFile(const std::filesystem::path& file, int length, KeyMaterial& key, IProgress& progress,
                 const std::string& name);

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
