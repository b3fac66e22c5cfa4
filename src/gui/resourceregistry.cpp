#include "gui/resourceregistry.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <vector>

namespace VSTGUI {
namespace {

struct Table {
    const EmbeddedResource* entries;
    std::size_t count;
};

struct Registry {
    std::mutex mutex;
    std::vector<Table> tables;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

// Resource names compare without regard to ASCII case, as the images are
// stored under upper-case names and asked for in lower case.
bool sameName(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b)))
            return false;
    }
    return *a == *b;
}

} // namespace

void registerEmbeddedResources(const EmbeddedResource* table, std::size_t count) {
    if (table == nullptr || count == 0)
        return;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    const bool known = std::any_of(r.tables.begin(), r.tables.end(),
                                   [&](const Table& t) { return t.entries == table; });
    if (!known)
        r.tables.push_back({table, count});
}

const EmbeddedResource* findEmbeddedResource(const char* name) {
    if (name == nullptr)
        return nullptr;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (auto t = r.tables.rbegin(); t != r.tables.rend(); ++t) {
        for (std::size_t i = 0; i < t->count; ++i) {
            const EmbeddedResource& e = t->entries[i];
            if (e.name != nullptr && sameName(e.name, name))
                return &e;
        }
    }
    return nullptr;
}

} // namespace VSTGUI
