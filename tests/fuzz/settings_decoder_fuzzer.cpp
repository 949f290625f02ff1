// Fuzz target: the settings decoder over block bytes held in an exactly sized owned buffer, as
// the reader delivers them. Text exceptions are the decoder's refusals; anything else escaping,
// a view reaching outside the block, or a holder count surviving the release is a finding.
#include "data_content.h"
#include "fuzz_checks.h"
#include "splash_settings.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace {

// A view the record hands out must lie wholly inside the block; every byte is read through it.
void checkView(const DataContent& view, const DataContent& block, const char* what) {
    if (view.data == nullptr) {
        require(view.size == 0, what);
        return;
    }
    require(!view.owned, what);
    require(view.data >= block.data && view.size <= block.size &&
                static_cast<UINT>(view.data - block.data) <= block.size - view.size,
            what);
    touchBytes(view.data, view.size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > std::numeric_limits<UINT>::max())
        return 0;
    {
        DataContent block;
        if (size != 0) {
            block = DataContent(static_cast<UINT>(size));
            std::memcpy(block.data, data, size);
        }
        SplashSettings settings;
        try {
            settings.decode(block);
        } catch (const std::string& refusal) {
            require(!refusal.empty(), "a refusal has a text");
        }
        checkView(settings.picture, block, "the picture lies inside the block");
        checkView(settings.sound, block, "the sound lies inside the block");
        if (block.data != nullptr)
            require(settings.payload.data == block.data &&
                        ContentRegistry::instance().countOf(block.data) == 2,
                    "the record holds the block from the first step on");

        settings.release();
        require(settings.picture.data == nullptr && settings.sound.data == nullptr &&
                    settings.payload.data == nullptr,
                "the record lets go of everything");
        require(ContentRegistry::instance().entryCount() == (block.data != nullptr ? 1u : 0u) &&
                    (block.data == nullptr || ContentRegistry::instance().countOf(block.data) == 1),
                "after the release the local holder is the block's only one");
    }
    require(ContentRegistry::instance().entryCount() == 0,
            "the registry is empty once the last holder is gone");
    return 0;
}
