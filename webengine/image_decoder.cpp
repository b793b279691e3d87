#include "webengine/image_decoder.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace webengine {

namespace {

struct PngSource {
    const std::string* bytes;
    size_t pos;
};

cairo_status_t ReadPng(void* closure, unsigned char* data, unsigned int length) {
    auto* src = static_cast<PngSource*>(closure);
    if (src->pos + length > src->bytes->size()) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, src->bytes->data() + src->pos, length);
    src->pos += length;
    return CAIRO_STATUS_SUCCESS;
}

uint32_t BigEndian32(const std::string& b, size_t at) {
    return (static_cast<uint32_t>(static_cast<unsigned char>(b[at])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3]));
}

cairo_surface_t* DecodePng(const std::string& bytes) {
    // The header chunk comes first; its size is checked before cairo allocates anything.
    if (bytes.size() < 33 || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0) return nullptr;
    uint32_t width = BigEndian32(bytes, 16);
    uint32_t height = BigEndian32(bytes, 20);
    if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide)
        return nullptr;
    PngSource src{&bytes, 0};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(&ReadPng, &src);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return surface;
}

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

void JpegFail(j_common_ptr info) {
    longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void JpegQuiet(j_common_ptr) {}

// Only plain C objects live in this function: the error path leaves it through longjmp.
cairo_surface_t* DecodeJpeg(const unsigned char* data, unsigned long size) {
    jpeg_decompress_struct info;
    JpegError error;
    cairo_surface_t* volatile surface = nullptr;
    JSAMPLE* volatile row = nullptr;
    info.err = jpeg_std_error(&error.mgr);
    error.mgr.error_exit = &JpegFail;
    error.mgr.output_message = &JpegQuiet;
    if (setjmp(error.jump) != 0) {
        jpeg_destroy_decompress(&info);
        if (surface != nullptr) cairo_surface_destroy(surface);
        free(row);
        return nullptr;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > kMaxImageSide ||
        info.image_height > kMaxImageSide) {
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    int width = static_cast<int>(info.output_width);
    int height = static_cast<int>(info.output_height);
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS || info.output_components != 3) {
        longjmp(error.jump, 1);
    }
    row = static_cast<JSAMPLE*>(malloc(static_cast<size_t>(width) * 3));
    if (row == nullptr) longjmp(error.jump, 1);
    cairo_surface_flush(surface);
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    while (info.output_scanline < info.output_height) {
        int y = static_cast<int>(info.output_scanline);
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&info, rows, 1) != 1) longjmp(error.jump, 1);
        auto* out = reinterpret_cast<uint32_t*>(pixels + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            out[x] = 0xFF000000u | (static_cast<uint32_t>(row[x * 3]) << 16) |
                     (static_cast<uint32_t>(row[x * 3 + 1]) << 8) | row[x * 3 + 2];
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    free(row);
    cairo_surface_mark_dirty(surface);
    return surface;
}

}  // namespace

cairo_surface_t* DecodeImage(const std::string& bytes) {
    static const unsigned char kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() >= 8 && std::memcmp(bytes.data(), kPng, 8) == 0) return DecodePng(bytes);
    if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xD8) {
        return DecodeJpeg(reinterpret_cast<const unsigned char*>(bytes.data()),
                          static_cast<unsigned long>(bytes.size()));
    }
    return nullptr;
}

}  // namespace webengine
