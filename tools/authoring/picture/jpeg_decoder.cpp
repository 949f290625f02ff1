// JPEG through libjpeg-turbo: the accurate integer IDCT and the library's own upsampling, scaled
// in the DCT domain when the picture is to shrink anyway, and CMYK turned into screen colours.
#include "picture_decoders.h"

#include "tool_error.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <new>

#include <jerror.h>

namespace {

// Progressive JPEGs from cameras and editors carry about ten scans; thousands of tiny ones only
// make the decoder go over the whole picture again and again.
constexpr int maxScans = 500;

// The library reports failures through this: the error manager first, so that the library's
// pointer to it is a pointer to the whole.
struct JpegErrors {
    jpeg_error_mgr manager;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    char firstWarning[JMSG_LENGTH_MAX];
    unsigned warningCount;
    bool tooManyScans;
};

JpegErrors& errorsOf(j_common_ptr info) {
    return *reinterpret_cast<JpegErrors*>(info->err);
}

void leaveOnError(j_common_ptr info) {
    std::longjmp(errorsOf(info).jump, 1);
}

// Warnings (level -1) are damaged data the library reads past; the rest is tracing.
void keepWarning(j_common_ptr info, int level) {
    JpegErrors& errors = errorsOf(info);
    if (level >= 0)
        return;
    if (errors.warningCount == 0)
        (*info->err->format_message)(info, errors.firstWarning);
    ++errors.warningCount;
}

void printNothing(j_common_ptr) {}

void watchScans(j_common_ptr info) {
    auto decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > maxScans) {
        errorsOf(info).tooManyScans = true;
        std::longjmp(errorsOf(info).jump, 1);
    }
}

// round(a * b / 255) for bytes.
unsigned char scaled(unsigned a, unsigned b) {
    unsigned product = a * b + 128;
    return static_cast<unsigned char>((product + (product >> 8)) >> 8);
}

class JpegDecoder : public PictureDecoder {
  public:
    JpegDecoder() {
        errors_.manager.error_exit = nullptr;
        info_.err = jpeg_std_error(&errors_.manager);
        errors_.manager.error_exit = leaveOnError;
        errors_.manager.emit_message = keepWarning;
        errors_.manager.output_message = printNothing;
        errors_.progress.progress_monitor = watchScans;
        errors_.warningCount = 0;
        errors_.tooManyScans = false;
    }
    ~JpegDecoder() override {
        if (created_)
            jpeg_destroy_decompress(&info_);
    }
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    void open(const unsigned char* data, std::size_t size) {
        // The library counts in unsigned long, which a 32-bit Windows program keeps in 32 bits.
        if (size > static_cast<unsigned long>(-1))
            throw InputError("is too large to read");
        guarded([&] {
            jpeg_create_decompress(&info_);
            created_ = true;
            info_.progress = &errors_.progress;
            jpeg_mem_src(&info_, data, static_cast<unsigned long>(size));
            if (jpeg_read_header(&info_, TRUE) != JPEG_HEADER_OK)
                ERREXIT(&info_, JERR_NO_IMAGE);
        });
        width_ = info_.image_width;
        height_ = info_.image_height;
        switch (info_.jpeg_color_space) {
        case JCS_GRAYSCALE:
        case JCS_YCbCr:
        case JCS_RGB:
            info_.out_color_space = JCS_EXT_RGBA;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            info_.out_color_space = JCS_CMYK;
            notes.push_back(std::string("is a ") +
                            (info_.jpeg_color_space == JCS_CMYK ? "CMYK" : "YCCK") +
                            " JPEG: its inks are turned into screen colours by the plain "
                            "formula, without a colour profile");
            break;
        default:
            throw InputError("is a JPEG of " + std::to_string(info_.num_components) +
                             " colour components, which splashpack cannot read");
        }
    }

    void decode(PictureRows& rows, WindowSize atLeast) override {
        info_.dct_method = JDCT_ISLOW;
        info_.do_fancy_upsampling = TRUE;
        guarded([&] { chooseScale(atLeast); });
        guarded([&] { jpeg_start_decompress(&info_); });
        rows.start(info_.output_width, info_.output_height);
        samples_.resize(std::size_t(info_.output_width) * info_.output_components);
        rgba_.resize(std::size_t(info_.output_width) * 4);
        const bool inks = info_.out_color_space == JCS_CMYK;
        while (info_.output_scanline < info_.output_height) {
            const UINT y = info_.output_scanline;
            guarded([&] {
                JSAMPROW row = inks ? samples_.data() : rgba_.data();
                jpeg_read_scanlines(&info_, &row, 1);
            });
            if (inks)
                inksToScreen();
            rows.row(y, rgba_.data());
        }
        if (errors_.warningCount > 0)
            warnings.push_back(std::string("is a damaged JPEG (\"") + errors_.firstWarning +
                               "\"); splashpack reads past the damage, and what it cannot read "
                               "shows grey or out of place");
    }

  private:
    // Runs `work`, whose calls into the library return here when it fails. `work` holds no
    // object with a destructor, so that the jump leaves nothing undone.
    template <class Work> void guarded(const Work& work) {
        if (setjmp(errors_.jump) != 0)
            raiseFailure();
        work();
    }

    [[noreturn]] void raiseFailure() {
        if (errors_.tooManyScans)
            throw InputError("is a progressive JPEG of more than " + std::to_string(maxScans) +
                             " scans, which splashpack does not read");
        const int code = errors_.manager.msg_code;
        if (code == JERR_OUT_OF_MEMORY)
            throw std::bad_alloc();
        if (code == JERR_BAD_PRECISION)
            throw InputError("is a JPEG of " + std::to_string(errors_.manager.msg_parm.i[0]) +
                             " bits a channel; splashpack reads JPEGs of 8 bits a channel");
        if (code == JERR_SOF_UNSUPPORTED) {
            char marker[8];
            std::snprintf(marker, sizeof marker, "0x%02X", errors_.manager.msg_parm.i[0] & 0xFF);
            throw InputError(std::string("is a lossless or hierarchical JPEG (SOF marker ") +
                             marker + "), which splashpack cannot read");
        }
        char message[JMSG_LENGTH_MAX];
        (*errors_.manager.format_message)(reinterpret_cast<j_common_ptr>(&info_), message);
        throw InputError(std::string("is a damaged JPEG: ") + message);
    }

    // The smallest of 1/8, 1/4, 1/2 and 1 that is still at least `atLeast`.
    void chooseScale(WindowSize atLeast) {
        info_.scale_num = 1;
        for (unsigned denominator : {8u, 4u, 2u, 1u}) {
            info_.scale_denom = denominator;
            jpeg_calc_output_dimensions(&info_);
            if (atLeast.width > 0 && info_.output_width >= atLeast.width &&
                info_.output_height >= atLeast.height)
                return;
        }
    }

    // CMYK as the library hands it over: Adobe's files (with their APP14 marker) store each
    // value inverted, others as ink.
    void inksToScreen() {
        const bool inverted = info_.saw_Adobe_marker;
        const unsigned char* in = samples_.data();
        unsigned char* out = rgba_.data();
        for (UINT x = 0; x < info_.output_width; ++x, in += 4, out += 4) {
            unsigned key = inverted ? in[3] : 255 - in[3];
            for (int channel = 0; channel < 3; ++channel)
                out[channel] = scaled(inverted ? in[channel] : 255 - in[channel], key);
            out[3] = 255;
        }
    }

    jpeg_decompress_struct info_{};
    JpegErrors errors_{};
    bool created_ = false;
    std::vector<unsigned char> samples_;
    std::vector<unsigned char> rgba_;
};

} // namespace

std::unique_ptr<PictureDecoder> openJpeg(const unsigned char* data, std::size_t size) {
    auto decoder = std::make_unique<JpegDecoder>();
    decoder->open(data, size);
    return decoder;
}
