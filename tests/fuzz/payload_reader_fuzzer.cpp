// Fuzz target: the container reader over whole file contents, served from memory through the
// reader's file layer. Text exceptions are the reader's refusals; anything else escaping it, an
// open file left behind, a block that is not the bytes before the trailer (at the end, or before
// a certificate table), more reads than that takes, or a holder count left in the registry is a
// finding.
#include "certificate_table.h"
#include "file_access.h"
#include "fuzz_checks.h"
#include "payload_reader.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace {

// The input as a file: its size, end-relative positioning and single reads behave as a real
// file's do; a read that would run past the end fails.
class MemoryFile : public ReadOnlyFile {
  public:
    MemoryFile(const unsigned char* bytes, UINT size) : bytes(bytes), size(size) {}

    bool open(const std::string&) override {
        isOpen = true;
        position = 0;
        return true;
    }
    bool querySize(UINT& result) override {
        if (!isOpen)
            return false;
        result = size;
        return true;
    }
    bool seekBeforeEnd(UINT distance) override {
        if (!isOpen || distance > size)
            return false;
        position = size - distance;
        return true;
    }
    bool read(void* buffer, UINT count) override {
        ++reads;
        if (!isOpen || count > size - position)
            return false;
        if (count != 0)
            std::memcpy(buffer, bytes + position, count);
        position += count;
        return true;
    }
    void close() override { isOpen = false; }

    bool stillOpen() const { return isOpen; }
    int reads = 0;

  private:
    const unsigned char* bytes;
    UINT size;
    UINT position = 0;
    bool isOpen = false;
};

UINT declaredSize(const unsigned char* trailer) {
    return static_cast<UINT>(trailer[16]) | static_cast<UINT>(trailer[17]) << 8 |
           static_cast<UINT>(trailer[18]) << 16 | static_cast<UINT>(trailer[19]) << 24;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > std::numeric_limits<UINT>::max())
        return 0;
    const UINT fileSize = static_cast<UINT>(size);
    {
        MemoryFile file(data, fileSize);
        // Where the whole file, read at once, has its trailer.
        UINT trailerEnd = 0;
        const bool found = trailerEndOf(data, fileSize, trailerEnd);
        const bool atTheEnd = found && trailerEnd == fileSize;
        try {
            DataContent block = loadPayloadFromFile("fuzz.bin", file);
            require(!file.stillOpen(), "the file is closed after a read");
            require(found, "a block comes only through a valid marker");
            const unsigned char* trailer = data + trailerEnd - trailerSize;
            require(std::memcmp(trailer, trailerMarker, sizeof trailerMarker) == 0,
                    "the trailer found holds the marker");
            const UINT payloadSize = declaredSize(trailer);
            require(block.owned && block.data != nullptr && block.size == payloadSize,
                    "the block is an owned buffer of the declared size");
            require(ContentRegistry::instance().countOf(block.data) == 1,
                    "the returned block is the buffer's only holder");
            require(std::memcmp(block.data, trailer - payloadSize, payloadSize) == 0,
                    "the block holds the bytes before the trailer");
        } catch (const std::string& refusal) {
            require(!file.stillOpen(), "the file is closed after a refusal");
            require(!refusal.empty(), "a refusal has a text");
            require(!found || refusal.rfind("The trailer section is invalid.", 0) != 0,
                    "a trailer found in the whole file is found by the reader too");
        }
        require(file.reads <= (atTheEnd ? 2 : 4),
                "two reads for a trailer at the end, at most two more before a table");
    }
    require(ContentRegistry::instance().entryCount() == 0,
            "no holder count outlives the read block");
    return 0;
}
