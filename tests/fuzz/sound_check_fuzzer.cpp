// Fuzz target: the WAV check over sound bytes held in an exactly sized heap buffer. Whatever the
// chunks claim, it reads inside them, and the facts it gives for a usable sound hold together.
#include "fuzz_checks.h"
#include "sound_check.h"

#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Exactly sized, so that a read one byte past the sound is outside the allocation.
    std::unique_ptr<unsigned char[]> buffer(size != 0 ? new unsigned char[size] : nullptr);
    if (size != 0)
        std::memcpy(buffer.get(), data, size);

    SoundFacts facts = examineSound(buffer.get(), size);
    if (!facts.problem.empty())
        return 0;
    require(size >= 12 + 8 + 14, "a usable sound has a header and a whole format chunk");
    require(!facts.hasData || facts.dataBytes <= size, "the data chunk lies inside the sound");
    std::uint64_t ms = soundMilliseconds(facts);
    require(facts.bytesPerSecond != 0 || ms == 0, "no byte rate gives no length");
    // The build's warnings and the report's words never raise, whatever the format says.
    std::vector<std::string> warnings = soundWarnings(facts, "s.wav", 1000);
    require(describeSound(facts).size() > 0 && describeSoundLength(facts).size() > 0,
            "every sound is described");
    (void)warnings;
    return 0;
}
