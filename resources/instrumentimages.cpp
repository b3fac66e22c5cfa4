#include "instrumentimages.h"

#include "instrumentimagetable.h"

#include <mutex>

namespace amber {

void registerInstrumentImages() {
    // The registry would ignore a second registration of the same table; the
    // once-flag spares concurrent callers even the lookup.
    static std::once_flag registered;
    std::call_once(registered, [] {
        VSTGUI::registerEmbeddedResources(kInstrumentImageTable, kInstrumentImageCount);
    });
}

} // namespace amber
