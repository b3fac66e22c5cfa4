#pragma once

namespace amber {

// Makes the instrument's 64 images findable by their lower-case file name
// (for example "background.png") through VSTGUI::findEmbeddedResource, so
// that bitmaps can be made from them. Any thread; calling it again does
// nothing. Cannot fail: the images are compiled into the library.
void registerInstrumentImages();

} // namespace amber
