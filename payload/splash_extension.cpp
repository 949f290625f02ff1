// Reading the payload's extension: all of it or nothing.
#include "splash_extension.h"

#include "little_endian.h"

#include <cstring>

namespace {

// The entries of one extension, read into `found`; false at the first thing out of place.
class EntryReader {
  public:
    EntryReader(const unsigned char* entries, UINT length) : at(entries), left(length) {}

    bool readAll(SplashExtension& found) {
        while (left > 0) {
            if (left < extensionEntryHeaderSize)
                return false;
            const UINT tag = readLittleEndian32(at);
            const UINT length = readLittleEndian32(at + 4);
            at += extensionEntryHeaderSize;
            left -= extensionEntryHeaderSize;
            if (length > left)
                return false;
            if (!readEntry(tag, at, length, found))
                return false;
            at += length;
            left -= length;
        }
        return true;
    }

  private:
    // A known tag once, with its own length; an unknown one skipped unless it must be understood.
    bool readEntry(UINT tag, const unsigned char* data, UINT length, SplashExtension& found) {
        switch (tag) {
        case extensionTagWaitForTarget:
            if (length != 0 || !firstTime(tag))
                return false;
            found.waitForTarget = true;
            return true;
        case extensionTagShape:
            if (length != extensionShapeSize || data[3] != 0 || !firstTime(tag))
                return false;
            found.shaped = true;
            found.keyColour.red = data[0];
            found.keyColour.green = data[1];
            found.keyColour.blue = data[2];
            return true;
        case extensionTagFades:
            if (length != extensionFadesSize || !firstTime(tag))
                return false;
            found.fadeIn = readLittleEndian32(data);
            found.fadeOut = readLittleEndian32(data + 4);
            return true;
        case extensionTagLaterWindows:
            if (length != 0 || !firstTime(tag))
                return false;
            found.laterWindows = true;
            return true;
        default:
            return (tag & extensionTagMustUnderstand) == 0;
        }
    }

    // The tags of version 1 are 1 to 4, one bit each.
    bool firstTime(UINT tag) {
        const UINT bit = 1u << tag;
        if ((seen & bit) != 0)
            return false;
        seen |= bit;
        return true;
    }

    const unsigned char* at;
    UINT left;
    UINT seen = 0;
};

} // namespace

bool readSplashExtension(const unsigned char* bytes, UINT size, SplashExtension& extension) {
    if (size < extensionHeaderSize ||
        std::memcmp(bytes, extensionMarker, sizeof extensionMarker) != 0)
        return false;
    if (readLittleEndian32(bytes + 16) != extensionVersion)
        return false;
    const UINT length = readLittleEndian32(bytes + 20);
    if (length > size - extensionHeaderSize)
        return false;
    SplashExtension found;
    EntryReader entries(bytes + extensionHeaderSize, length);
    if (!entries.readAll(found))
        return false;
    extension = found;
    return true;
}
