// Decoding of the payload block into the settings record.
#include "splash_settings.h"

#include "little_endian.h"
#include "payload_reader.h"
#include "splash_extension.h"

#include <cstring>

namespace {

// The block's own message for an access outside it, used as well where a field starts inside
// the block but runs past its end.
const char* const outsideBlock =
    "DataContent::operator() const - index is greater than content size.";

// Width of the version-list, resolution and colour fields.
constexpr UINT fixedFieldSize = 100;

// Walks the block from offset 0; every access goes through the block's read-only operator()
// and is checked over its whole extent before a byte is touched.
class BlockReader {
  public:
    explicit BlockReader(const DataContent& block) : block(block) {}

    // The address of `length` bytes at the current offset, which then moves past them.
    const unsigned char* take(UINT length) {
        const unsigned char* start = block(offset);
        if (length > block.size - offset)
            raiseText(outsideBlock);
        offset += length;
        return start;
    }

    UINT takeNumber() { return readLittleEndian32(take(4)); }

    // A NUL-terminated text at the current offset; the offset moves past its NUL.
    std::string takeText() {
        const unsigned char* start = block(offset);
        UINT length = textLength(start, block.size - offset);
        offset += length + 1;
        return std::string(reinterpret_cast<const char*>(start), length);
    }

    // The text at the start of a 100-byte field; the offset moves past the whole field.
    std::string takeFixedText() {
        const unsigned char* start = take(fixedFieldSize);
        return std::string(reinterpret_cast<const char*>(start), textLength(start, fixedFieldSize));
    }

    // The bytes from the current offset to the block's end.
    const unsigned char* rest(UINT& length) {
        const unsigned char* start = block(offset);
        length = block.size - offset;
        return start;
    }

    // A view of `length` bytes at the current offset. The record only reads through it;
    // the buffer type has no read-only view, hence the cast.
    DataContent takeView(UINT length) {
        const unsigned char* start = take(length);
        return DataContent(const_cast<unsigned char*>(start), length, false);
    }

  private:
    // Characters before the first NUL among `available` bytes; raises when there is none.
    static UINT textLength(const unsigned char* start, UINT available) {
        const void* nul = available == 0 ? nullptr : std::memchr(start, 0, available);
        if (nul == nullptr)
            raiseText(outsideBlock);
        return static_cast<UINT>(static_cast<const unsigned char*>(nul) - start);
    }

    const DataContent& block;
    UINT offset = 0;
};

} // namespace

void SplashSettings::load(const std::string& fileName) {
    // The local holder goes when this returns, leaving `payload` as the only one.
    DataContent block = loadPayloadFromFile(fileName);
    decode(block);
}

void SplashSettings::decode(const DataContent& block) {
    payload.dispose();
    if (block.data != nullptr)
        payload = block;

    BlockReader reader(block);
    UINT pictureSize = reader.takeNumber();
    if (pictureSize > 0)
        picture = reader.takeView(pictureSize);
    UINT soundSize = reader.takeNumber();
    if (soundSize > 0)
        sound = reader.takeView(soundSize);
    targetFile = reader.takeText();
    displayTime = reader.takeNumber();
    launchDelay = reader.takeNumber();
    requiredVersions = parseVersionList(reader.takeFixedText().c_str());
    requiredResolution = parseResolution(reader.takeFixedText().c_str());
    requiredColourBits = parseColourDepth(reader.takeFixedText().c_str());
    requirementsMessage = reader.takeText();
    reader.takeText(); // a text the player has no use for
    reader.take(8);    // bytes the player has no use for
    imageOption = reader.takeNumber();
    // What follows the image option is the project's own extension when it is there and whole;
    // anything else there is ignored, as the format says.
    UINT restLength = 0;
    const unsigned char* rest = reader.rest(restLength);
    readSplashExtension(rest, restLength, extension);
}

void SplashSettings::release() {
    picture.dispose();
    sound.dispose();
    payload.dispose();
}
