/* Writes the JPEGs of this folder: the tests' smooth picture (smoothPicture in
 * tests/authoring/test_files.cpp) coded in the ways cameras and editors code it that the tests'
 * own encoder cannot, and a busy 97 x 67 picture in the chroma samplings cameras use (for the
 * decoder's upsampling). Built and run once, by hand, with Debian's libjpeg62-turbo-dev:
 *   cc make_jpegs.c -ljpeg -o /tmp/make_jpegs && (cd tests/data/pictures && /tmp/make_jpegs)
 */
#include <stdio.h>
#include <stdlib.h>

#include <jpeglib.h>

enum { WIDTH = 48, HEIGHT = 32 };

static void smooth(int x, int y, unsigned char rgb[3]) {
    rgb[0] = (unsigned char)(30 + x * 190 / WIDTH);
    rgb[1] = (unsigned char)(220 - y * 180 / HEIGHT);
    rgb[2] = (unsigned char)(60 + (x + y) * 120 / (WIDTH + HEIGHT));
}

/* inks: 0 for RGB (or grey), 1 for CMYK, 2 for YCCK; both ink kinds are written with an Adobe
 * marker and, as Adobe's programs write them, inverted: the stored value is 255 - ink. */
static void write(const char* name, int inks, int grey, int progressive, int arithmetic) {
    struct jpeg_compress_struct info;
    struct jpeg_error_mgr errors;
    FILE* file = fopen(name, "wb");
    unsigned char row[WIDTH * 4];
    if (file == NULL) {
        perror(name);
        exit(1);
    }
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = WIDTH;
    info.image_height = HEIGHT;
    info.input_components = inks ? 4 : grey ? 1 : 3;
    info.in_color_space = inks ? JCS_CMYK : grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    if (inks == 2)
        jpeg_set_colorspace(&info, JCS_YCCK);
    jpeg_set_quality(&info, 95, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    info.arith_code = arithmetic;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < HEIGHT) {
        JSAMPROW rows[1] = {row};
        for (int x = 0; x < WIDTH; ++x) {
            unsigned char rgb[3];
            smooth(x, (int)info.next_scanline, rgb);
            if (inks) {
                /* cyan, magenta and yellow of 255 - red, green, blue and no black, inverted */
                row[4 * x] = rgb[0];
                row[4 * x + 1] = rgb[1];
                row[4 * x + 2] = rgb[2];
                row[4 * x + 3] = 255;
            } else if (grey) {
                row[x] = rgb[1];
            } else {
                row[3 * x] = rgb[0];
                row[3 * x + 1] = rgb[1];
                row[3 * x + 2] = rgb[2];
            }
        }
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    fclose(file);
}

/* A busy picture of odd size: gradients under a fixed pseudo-random texture. */
static void busy(const char* name, int h, int v) {
    enum { W = 97, H = 67 };
    struct jpeg_compress_struct info;
    struct jpeg_error_mgr errors;
    FILE* file = fopen(name, "wb");
    unsigned char row[W * 3];
    unsigned state = 12345;
    if (file == NULL) {
        perror(name);
        exit(1);
    }
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = W;
    info.image_height = H;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    info.comp_info[0].h_samp_factor = h;
    info.comp_info[0].v_samp_factor = v;
    jpeg_set_quality(&info, 85, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < H) {
        JSAMPROW rows[1] = {row};
        for (int x = 0; x < W; ++x)
            for (int c = 0; c < 3; ++c) {
                state = state * 1103515245u + 12345u;
                int value = x * (2 + c) + (int)info.next_scanline * (3 - c) + (int)(state >> 26);
                row[3 * x + c] = (unsigned char)(value > 255 ? 255 : value);
            }
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    fclose(file);
}

int main(void) {
    busy("busy-420.jpg", 2, 2);
    busy("busy-422.jpg", 2, 1);
    busy("busy-440.jpg", 1, 2);
    busy("busy-411.jpg", 4, 1);
    write("cmyk.jpg", 1, 0, 0, 0);
    write("ycck.jpg", 2, 0, 0, 0);
    write("progressive.jpg", 0, 0, 1, 0);
    write("arithmetic.jpg", 0, 0, 0, 1);
    write("grey-progressive-arithmetic.jpg", 0, 1, 1, 1);
    return 0;
}
