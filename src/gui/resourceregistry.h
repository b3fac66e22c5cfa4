#pragma once

#include <cstddef>

namespace VSTGUI {

// One PNG image compiled into the library, found by its lower-case file name.
struct EmbeddedResource {
    const char* name;          // e.g. "background.png"
    const unsigned char* data; // the PNG file's bytes
    std::size_t size;
};

// Makes a table of embedded images findable by name. Any thread, before the
// first bitmap is made from it; registering the same table again does nothing.
// A later table's entry wins over an earlier one of the same name.
void registerEmbeddedResources(const EmbeddedResource* table, std::size_t count);

// The embedded image of that name, or null when none is registered.
const EmbeddedResource* findEmbeddedResource(const char* name);

} // namespace VSTGUI
