#include "guitestsupport.h"

using namespace VSTGUI;
using namespace guitest;

namespace {

TEST(CBitmap, EmbeddedImagesAreFoundByNameWithoutRegardToCaseTheLaterTableWinning) {
    registerTestImage("TESTBITMAP_ONE.PNG",
                      makePng(7, 3, [](int, int) { return CColor(10, 20, 30); }));
    for (const char* name : {"testbitmap_one.png", "TestBitmap_One.png"}) {
        CBitmap* bitmap = new CBitmap(CResourceDescription(name));
        ASSERT_TRUE(bitmap->isLoaded()) << name;
        EXPECT_EQ(bitmap->getWidth(), 7);
        EXPECT_EQ(bitmap->getHeight(), 3);
        bitmap->forget();
    }
    static const unsigned char a[] = {1}, b[] = {2};
    static const EmbeddedResource first[] = {{"registry_same.png", a, 1}};
    static const EmbeddedResource second[] = {{"REGISTRY_SAME.PNG", b, 1}};
    registerEmbeddedResources(first, 1);
    registerEmbeddedResources(second, 1);
    registerEmbeddedResources(first, 1); // known already: keeps its place
    EXPECT_EQ(findEmbeddedResource("registry_same.png")->data, b);
    EXPECT_EQ(findEmbeddedResource("registry_same"), nullptr);
    EXPECT_EQ(findEmbeddedResource(nullptr), nullptr);
    registerEmbeddedResources(nullptr, 3);
}

TEST(CBitmap, MissingOrDamagedImagesAreNotLoadedAndDrawNothing) {
    const std::vector<unsigned char> png = makePng(4, 4, [](int, int) { return CColor(1, 2, 3); });
    registerTestImage("testbitmap_truncated.png", {png.begin(), png.begin() + png.size() / 2});
    registerTestImage("testbitmap_garbage.png", std::vector<unsigned char>(100, 0x5a));
    registerTestImage("testbitmap_empty.png", {});
    const CResourceDescription cases[] = {CResourceDescription("testbitmap_nothere.png"),
                                          CResourceDescription("testbitmap"),
                                          CResourceDescription("testbitmap_truncated.png"),
                                          CResourceDescription("testbitmap_garbage.png"),
                                          CResourceDescription("testbitmap_empty.png"),
                                          CResourceDescription(nullptr),
                                          CResourceDescription(128)};
    RecordingEditor editor;
    CFrame* frame = new CFrame(CRect(0, 0, 10, 10), &editor);
    frame->setBackgroundColor(CColor(0, 255, 0));
    for (const CResourceDescription& desc : cases) {
        CBitmap* bitmap = new CBitmap(desc);
        EXPECT_EQ(bitmap->getPlatformBitmap(), nullptr);
        EXPECT_FALSE(bitmap->isLoaded());
        EXPECT_EQ(bitmap->getWidth(), 0);
        auto* view = new CView(CRect(0, 0, 10, 10));
        view->setBackground(bitmap);
        bitmap->forget();
        frame->addView(view);
        frame->idle();
        EXPECT_EQ(frame->getPixel(5, 5), CColor(0, 255, 0)) << "draws nothing";
        frame->removeView(view);
    }
    frame->forget();
}

TEST(CBitmap, DrawsTheStripPartAtTheOffsetClippedToTheRectangle) {
    CBitmap* strip = makeBitmap(4, 8, [](int x, int y) {
        return CColor(static_cast<std::uint8_t>(y * 30), 0, x == 0 ? 255 : 0);
    });
    RecordingEditor editor;
    CFrame* frame = new CFrame(CRect(0, 0, 20, 20), &editor);
    frame->setBackgroundColor(CColor(0, 99, 0));
    frame->addView(new CKickButton(CRect(10, 10, 14, 14), nullptr, 0, 4, strip, CPoint(0, 2)));
    strip->forget();
    frame->idle();
    EXPECT_EQ(frame->getPixel(10, 10), CColor(60, 0, 255)) << "row 2 at the top-left";
    EXPECT_EQ(frame->getPixel(13, 13), CColor(150, 0, 0)) << "row 5 at the bottom-right";
    EXPECT_EQ(frame->getPixel(13, 14), CColor(0, 99, 0)) << "clipped to the view";
    EXPECT_EQ(frame->getPixel(-1, 25), CColor(0, 0, 0, 0)) << "nothing outside the frame";
    frame->forget();
}

} // namespace
