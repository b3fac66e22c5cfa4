// A careless or hostile host: every opcode with empty arguments, odd block
// sizes, missing buffers and broken event lists. Nothing may crash, write out
// of bounds or render a non-finite sample; under the sanitizers nothing may
// be reported either.
#include "../support/floatcompare.h"
#include "pluginlibrary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

namespace {

// The instrument's diagnostic lines are kept out of the test's output.
class HostMisuse : public PluginLibrary {
protected:
    void SetUp() override {
        testing::internal::CaptureStdout();
        PluginLibrary::SetUp();
    }
    void TearDown() override {
        PluginLibrary::TearDown();
        testing::internal::GetCapturedStdout();
    }
};

TEST_F(HostMisuse, EveryOpcodeWithEmptyArguments) {
    // Then with a zeroed scratch record where a pointer is expected, and
    // indices no list has. effClose ends the instance (last, in TearDown);
    // only a real window may be handed to the editor.
    std::vector<char> scratch(8192, 0);
    for (VstInt32 opcode = -5; opcode <= 200; ++opcode) {
        if (opcode != effClose) {
            dispatch(opcode, 0, 0, nullptr);
        }
    }
    for (VstInt32 opcode = -5; opcode <= 200; ++opcode) {
        for (VstInt32 index : {-1, std::numeric_limits<VstInt32>::max()}) {
            if (opcode != effClose && opcode != effEditOpen) {
                std::fill(scratch.begin(), scratch.end(), 0);
                dispatch(opcode, index, 0, scratch.data());
            }
        }
    }
    // Still a working instrument afterwards.
    EXPECT_EQ(std::tie(e->magic, e->numPrograms), std::make_tuple(kEffectMagic, 177));
    EXPECT_TRUE(allFinite(render(e, 1024, 256, {midiEvent(0x90, 60, 100)})));
}

TEST_F(HostMisuse, OddBlockSizesRenderEveryFrame) {
    dispatch(effSetProgram, 0, 40);
    dispatch(effMainsChanged, 0, 1);
    for (VstInt32 frames : {1, 17, 16385, 40000, 0, -1}) {
        // Notes at the start and near the end of the block.
        EventList list({midiEvent(0x90, 40, 100, 0),
                        midiEvent(0x90, 52, 100, std::max(0, frames - 1)),
                        midiEvent(0x80, 40, 0, std::max(0, frames / 2))});
        dispatch(effProcessEvents, 0, 0, list.list);
        const std::size_t size = static_cast<std::size_t>(std::max(frames, 0));
        // Guard samples behind the block show a write past its end.
        std::vector<float> left(size + 64, std::nanf(""));
        std::vector<float> right(size + 64, std::nanf(""));
        float* outputs[2] = {left.data(), right.data()};
        e->processReplacing(e, nullptr, outputs, frames);
        for (std::size_t i = 0; i < size + 64; ++i) {
            ASSERT_EQ(std::isfinite(left[i]) && std::isfinite(right[i]), i < size)
                << "frame " << i << " of a block of " << frames;
        }
    }
}

TEST_F(HostMisuse, MissingBuffersAndBrokenEventLists) {
    float left[64];
    float* oneMissing[2] = {left, nullptr};
    float* bothMissing[2] = {nullptr, nullptr};
    for (float** outputs : {static_cast<float**>(nullptr), oneMissing, bothMissing}) {
        e->processReplacing(e, nullptr, outputs, 64);
    }

    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, nullptr), 0);
    EventList nulls({});
    nulls.setEntries({nullptr, nullptr, nullptr});
    VstEvents none{}, negative{};
    negative.numEvents = -3;
    for (VstEvents* list : {nulls.list, &none, &negative}) {
        EXPECT_EQ(dispatch(effProcessEvents, 0, 0, list), 1);
    }

    // Offsets a host should never send: before the block, far behind it.
    EventList odd({midiEvent(0x90, 60, 100, -50), midiEvent(0x90, 61, 100, 1 << 30),
                   midiEvent(0x90, 62, 100, std::numeric_limits<VstInt32>::min())});
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, odd.list), 1);
    EXPECT_TRUE(allFinite(render(e, 2048, 512)));

    // More events than the engine's queue holds in one block.
    std::vector<VstMidiEvent> flood;
    for (int i = 0; i < 2000; ++i) {
        flood.push_back(midiEvent(i % 2 ? 0x80 : 0x90, 30 + i % 60, 100, i % 64));
    }
    EventList many(flood);
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, many.list), 1);
    EXPECT_TRUE(allFinite(render(e, 4096, 64)));
}

TEST_F(HostMisuse, ParameterCallsWithOddArguments) {
    const float inf = std::numeric_limits<float>::infinity();
    for (VstInt32 index :
         {-1, 0, 1, std::numeric_limits<VstInt32>::max(), std::numeric_limits<VstInt32>::min()}) {
        for (float value : {-inf, inf, std::nanf(""), -1e30f, 1e30f, 0.5f}) {
            e->setParameter(e, index, value);
            EXPECT_TRUE(std::isfinite(e->getParameter(e, index))) << index << " " << value;
        }
    }
    e->setParameter(e, 0, inf);
    EXPECT_EQ(e->getParameter(e, 0), 1.0f);
}

} // namespace
