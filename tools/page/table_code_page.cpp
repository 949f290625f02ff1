// The page's code-page converter over the tables code_page_tables writes (its stream format is
// described there).
#include "table_code_page.h"

#include "code_page_reading.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <stdexcept>
#include <vector>

struct TableCodePage::Table {
    // Every byte, then for a double-byte code page every pair of a lead byte 0x80 to 0xFF and any
    // trail byte: the character, 0 for none (byte 0 itself is U+0000).
    std::vector<char16_t> values;
    // By character: the exact bytes, as the byte + 0x100 or lead * 0x100 + trail; 0 for none.
    std::vector<std::uint16_t> written;
    Compositions compositions;
};

namespace {

class WordReader {
  public:
    explicit WordReader(const std::vector<unsigned char>& stream) : stream_(stream) {}
    unsigned next() {
        if (at_ + 2 > stream_.size())
            throw std::logic_error("the code-page tables are cut short");
        unsigned word = stream_[at_] | stream_[at_ + 1] << 8;
        at_ += 2;
        return word;
    }

  private:
    const std::vector<unsigned char>& stream_;
    std::size_t at_ = 0;
};

} // namespace

TableCodePage::TableCodePage() = default;
TableCodePage::~TableCodePage() = default;

const TableCodePage::Table* TableCodePage::tableFor(unsigned codePage) const {
    auto found = tables_.find(codePage);
    if (found != tables_.end())
        return found->second.get();
    const DeflatedCodePage* deflated =
        std::find_if(deflatedCodePages, deflatedCodePages + deflatedCodePageCount,
                     [codePage](const DeflatedCodePage& d) { return d.codePage == codePage; });
    if (deflated == deflatedCodePages + deflatedCodePageCount)
        return nullptr;
    std::vector<unsigned char> stream(deflated->inflatedSize);
    uLongf size = static_cast<uLongf>(stream.size());
    if (uncompress(stream.data(), &size, deflated->bytes, static_cast<uLong>(deflated->size)) !=
            Z_OK ||
        size != stream.size())
        throw std::logic_error("the code-page tables cannot be inflated");

    auto table = std::make_unique<Table>();
    WordReader words(stream);
    table->values.resize(words.next());
    char16_t value = 0;
    for (char16_t& entry : table->values)
        entry = value = static_cast<char16_t>(value + words.next());
    std::vector<bool> exact(table->values.size());
    for (std::size_t index = 0; index < exact.size(); ++index)
        exact[index] = index == 0 || table->values[index] != 0;
    std::size_t index = 0;
    for (unsigned count = words.next(); count > 0; --count) {
        index += words.next();
        exact.at(index) = false;
    }
    for (unsigned count = words.next(); count > 0; --count) {
        char16_t letter = static_cast<char16_t>(words.next());
        char16_t accent = static_cast<char16_t>(words.next());
        char16_t character = static_cast<char16_t>(words.next());
        table->compositions[{letter, accent}] = JoinedCharacter{character, words.next() != 0};
    }
    table->written.assign(0x10000, 0);
    for (std::size_t at = 0; at < exact.size(); ++at)
        if (exact[at])
            table->written[table->values[at]] =
                static_cast<std::uint16_t>(at < 256 ? at + 0x100 : 0x8000 + (at - 256));
    return tables_.emplace(codePage, std::move(table)).first->second.get();
}

bool TableCodePage::toCodePage(const std::string& utf8, unsigned codePage,
                               std::string& bytes) const {
    const Table* table = tableFor(codePage);
    if (!table)
        return false;
    bytes.clear();
    for (char32_t c : utf8Characters(utf8)) {
        // A malformed sequence reads as U+FFFD, which no code page holds exactly.
        std::uint16_t written = c <= 0xFFFF ? table->written[c] : 0;
        if (written == 0)
            return false;
        if (written >= 0x8000)
            bytes += static_cast<char>(written >> 8);
        bytes += static_cast<char>(written & 0xFF);
    }
    return true;
}

bool TableCodePage::fromCodePage(const std::string& bytes, unsigned codePage,
                                 std::string& utf8) const {
    const Table* table = tableFor(codePage);
    if (!table)
        return false;
    std::u32string characters;
    if (!readWithTable(table->values, table->compositions, bytes, characters))
        return false;
    utf8 = utf8Of(characters);
    return true;
}

std::u32string TableCodePage::singleByteCharacters() const {
    std::set<char32_t> characters;
    for (unsigned codePage = 1250; codePage <= 1258; ++codePage) {
        const Table* table = tableFor(codePage);
        for (unsigned byte = 0x80; byte < 0x100; ++byte)
            if (table->values[byte] != 0)
                characters.insert(table->values[byte]);
        for (const auto& entry : table->compositions)
            characters.insert(entry.second.character);
    }
    return std::u32string(characters.begin(), characters.end());
}
