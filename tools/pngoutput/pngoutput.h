// A cairo picture written as a PNG file at a path a user names, whole or not
// at all (see outputfile.h).
#pragma once

#include <string>

typedef struct _cairo_surface cairo_surface_t;

// Encodes `surface` as PNG into `path`. False with "cannot write PATH: REASON"
// in error, and the target left as it was. Any thread.
bool writePngFile(cairo_surface_t* surface, const std::string& path, std::string& error);
