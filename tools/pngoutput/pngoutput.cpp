#include "pngoutput.h"

#include "outputfile.h"

#include <cairo.h>

namespace {

struct PngStream {
    OutputFile file;
    std::string error; // the first write's failure; cairo only learns that one happened
};

cairo_status_t writeChunk(void* closure, const unsigned char* data, unsigned int length) {
    auto* stream = static_cast<PngStream*>(closure);
    return stream->file.write(data, length, stream->error) ? CAIRO_STATUS_SUCCESS
                                                           : CAIRO_STATUS_WRITE_ERROR;
}

} // namespace

bool writePngFile(cairo_surface_t* surface, const std::string& path, std::string& error) {
    PngStream stream;
    if (!stream.file.open(path, error))
        return false;
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, writeChunk, &stream);
    if (!stream.error.empty()) {
        error = stream.error;
        return false;
    }
    if (status != CAIRO_STATUS_SUCCESS) {
        error = "cannot write " + path + ": " + cairo_status_to_string(status);
        return false; // the unfinished file goes with stream
    }
    return stream.file.commit(error);
}
