#include "gui/resourceregistry.h"
#include "resources/instrumentimages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

// Editors of several plug-in instances may open at once on different threads.
TEST(InstrumentImageRegistration, ConcurrentCallersAllFindTheImages) {
    std::atomic<int> found{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&found] {
            amber::registerInstrumentImages();
            found += VSTGUI::findEmbeddedResource("background.png") &&
                     VSTGUI::findEmbeddedResource("bottle_other7.png");
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(found.load(), 8);
}
