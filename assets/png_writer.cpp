#include "assets/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstring>

namespace {

// Where libpng's bytes go, and what stopped them. Plain data: libpng's errors
// leave through longjmp, which runs no destructors.
struct PngSink {
    std::FILE* file;
    int error;          // errno of the write or flush that failed; 0 when none did
    char refusal[160];  // libpng's own complaint, when the file was not the cause
};

// libpng's error handler: keeps the complaint and never returns to libpng.
void stopPng(png_structp png, png_const_charp message) {
    PngSink* sink = static_cast<PngSink*>(png_get_error_ptr(png));
    std::snprintf(sink->refusal, sizeof sink->refusal, "%s", message);
    png_longjmp(png, 1);
}

// libpng's warnings: none concerns a picture we made ourselves, and the
// terminal is not the place for them.
void ignorePngWarning(png_structp, png_const_charp) {}

// libpng's output: the bytes into the file, with errno kept when they do not go.
void writeBytes(png_structp png, png_bytep data, size_t length) {
    PngSink* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    errno = 0;
    if (std::fwrite(data, 1, length, sink->file) != length) {
        sink->error = errno != 0 ? errno : EIO;
        png_error(png, "write failed");
    }
}

// libpng's flush: stdio's buffer out to the file, a failure kept as above.
void flushBytes(png_structp png) {
    PngSink* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    errno = 0;
    if (std::fflush(sink->file) != 0) {
        sink->error = errno != 0 ? errno : EIO;
        png_error(png, "flush failed");
    }
}

// Encodes the picture through PNG, whose error handler jumps back here; false
// when it did. Its own frame, holding nothing that needs destroying, is what
// the jump unwinds.
bool encode(png_structp png, png_infop info, int width, int height, const uint8_t* rgba) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // GL's first row is the bottom of the picture; PNG's is the top.
    for (int y = height - 1; y >= 0; --y) {
        png_write_row(png, rgba + static_cast<size_t>(y) * static_cast<size_t>(width) * 4);
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

bool writePng(std::FILE* file, int width, int height, const std::vector<uint8_t>& rgba, std::string* why) {
    if (width <= 0 || height <= 0 || rgba.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4) {
        *why = "the picture has no pixels to save";
        return false;
    }
    PngSink sink = {file, 0, ""};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, stopPng, ignorePngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        *why = "out of memory";
        return false;
    }
    png_set_write_fn(png, &sink, writeBytes, flushBytes);
    bool encoded = encode(png, info, width, height, rgba.data());
    png_destroy_write_struct(&png, &info);
    // stdio may still hold the last bytes: a full disk can show only here.
    errno = 0;
    if (encoded && std::fflush(file) != 0) {
        sink.error = errno != 0 ? errno : EIO;
        encoded = false;
    }
    if (!encoded) {
        *why = sink.error != 0 ? std::strerror(sink.error)
                               : std::string("the PNG encoder refused it (") + sink.refusal + ")";
    }
    return encoded;
}

bool writePngFile(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba,
                  std::string* why) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *why = std::strerror(errno);
        return false;
    }
    bool written = writePng(file, width, height, rgba, why);
    // A file system that reports late (NFS) does so on the close.
    if (std::fclose(file) != 0 && written) {
        *why = std::strerror(errno);
        written = false;
    }
    return written;
}
