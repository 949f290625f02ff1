// The code-page converter of native front-ends: glibc's iconv, under the names whose tables give
// Windows' bytes.
#include "system_code_page.h"

#include <cerrno>
#include <iconv.h>

namespace {

const char* iconvName(unsigned codePage) {
    switch (codePage) {
    case 874:
        return "WINDOWS-874";
    case 932:
        return "WINDOWS-31J";
    case 936:
        return "CP936";
    case 949:
        return "CP949";
    case 950:
        return "CP950";
    default:
        return nullptr;
    }
}

// One conversion descriptor, closed on every path.
class Converter {
  public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (*this)
            iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    explicit operator bool() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

  private:
    iconv_t handle_;
};

// The whole of `input` converted; false on any byte or character the other side lacks.
bool convert(const char* to, const char* from, const std::string& input, std::string& output) {
    Converter converter(to, from);
    if (!converter)
        return false;
    output.clear();
    std::string source = input;
    char* in = source.data();
    std::size_t inLeft = source.size();
    char buffer[256];
    // The input, then a call without input: some converters hold back a letter until they
    // know whether an accent follows.
    bool flushing = false;
    while (true) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t result = flushing ? iconv(converter.get(), nullptr, nullptr, &out, &outLeft)
                                      : iconv(converter.get(), &in, &inLeft, &out, &outLeft);
        output.append(buffer, sizeof buffer - outLeft);
        if (result == static_cast<std::size_t>(-1)) {
            if (errno != E2BIG)
                return false;
            continue;
        }
        if (flushing)
            break;
        flushing = true;
    }
    return true;
}

std::string charsetName(unsigned codePage) {
    const char* name = iconvName(codePage);
    return name ? name : "CP" + std::to_string(codePage);
}

// Windows passes the five bytes that Windows-1252 leaves undefined through as the C1 controls
// of the same numbers, both ways; glibc's table refuses them.
bool undefinedIn1252(unsigned char byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

bool platformToCodePage(const std::string& utf8, unsigned codePage, std::string& bytes) {
    if (codePage == 1252 && utf8.size() == 2 && static_cast<unsigned char>(utf8[0]) == 0xC2 &&
        undefinedIn1252(static_cast<unsigned char>(utf8[1]))) {
        bytes = utf8.substr(1);
        return true;
    }
    return convert(charsetName(codePage).c_str(), "UTF-8", utf8, bytes);
}

bool platformFromCodePage(const std::string& bytes, unsigned codePage, std::string& utf8) {
    if (codePage != 1252)
        return convert("UTF-8", charsetName(codePage).c_str(), bytes, utf8);
    utf8.clear();
    std::string run;
    std::string converted;
    auto convertRun = [&] {
        if (run.empty())
            return true;
        if (!convert("UTF-8", "CP1252", run, converted))
            return false;
        utf8 += converted;
        run.clear();
        return true;
    };
    for (char c : bytes) {
        if (!undefinedIn1252(static_cast<unsigned char>(c))) {
            run += c;
            continue;
        }
        if (!convertRun())
            return false;
        utf8 += '\xC2';
        utf8 += c;
    }
    return convertRun();
}

class SystemCodePage : public CodePageConverter {
  public:
    bool toCodePage(const std::string& utf8, unsigned codePage, std::string& bytes) const override {
        return platformToCodePage(utf8, codePage, bytes);
    }
    bool fromCodePage(const std::string& bytes, unsigned codePage,
                      std::string& utf8) const override {
        return platformFromCodePage(bytes, codePage, utf8);
    }
};

} // namespace

const CodePageConverter& systemCodePage() {
    static const SystemCodePage converter;
    return converter;
}
