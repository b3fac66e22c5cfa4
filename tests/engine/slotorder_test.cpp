// The engine's classes keep their operations in a fixed order in the virtual
// table: destructors, where a class has a virtual one, come after them. On the
// Itanium C++ ABI (g++ and clang on Linux) a pointer to a virtual member
// function holds 1 + the byte offset of its slot.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "engine/envelope.h"
#include "engine/integersynthparameter.h"
#include "engine/linearresampler.h"
#include "engine/synthengine.h"

namespace {

template <class F> long slotOf(F member) {
    struct Representation {
        std::uintptr_t ptr;
        std::ptrdiff_t adjust;
    };
    static_assert(sizeof(F) == sizeof(Representation));
    Representation r;
    std::memcpy(&r, &member, sizeof r);
    return (r.ptr & 1) != 0 ? static_cast<long>((r.ptr - 1) / sizeof(void*)) : -1;
}

TEST(EngineSlotOrder, OperationsTakeTheFirstSlotsInOrder) {
    const struct {
        const char* name;
        long actual;
        long expected;
    } slots[] = {
        {"SynthEngine::process", slotOf(&SynthEngine::process), 0},
        {"SynthEngine::setProgram", slotOf(&SynthEngine::setProgram), 1},
        {"SynthEngine::noteOn", slotOf(&SynthEngine::noteOn), 2},
        {"SynthEngine::noteOff", slotOf(&SynthEngine::noteOff), 3},
        {"SynthEngine::pitchBend", slotOf(&SynthEngine::pitchBend), 4},
        {"SynthEvent::execute", slotOf(&SynthEvent::execute), 0},
        {"SynthParameter::getDisplay", slotOf(&SynthParameter::getDisplay), 0},
        {"SynthParameter::setValue", slotOf(&SynthParameter::setValue), 1},
        {"SynthParameter::clone", slotOf(&SynthParameter::clone), 2},
        {"IntegerSynthParameter::clone", slotOf(&IntegerSynthParameter::clone), 2},
        {"Envelope::process", slotOf(&Envelope::process), 0},
        {"Envelope::isActive", slotOf(&Envelope::isActive), 1},
        {"Envelope::noteOn", slotOf(&Envelope::noteOn), 2},
        {"Envelope::noteOff", slotOf(&Envelope::noteOff), 3},
        {"ADSR::noteOff", slotOf(&ADSR::noteOff), 3},
    };
    for (const auto& slot : slots) {
        EXPECT_EQ(slot.actual, slot.expected) << slot.name;
    }
    // Neither the engine nor its events are destroyed through a base pointer.
    EXPECT_FALSE(std::has_virtual_destructor_v<SynthEngine>);
    EXPECT_FALSE(std::has_virtual_destructor_v<SynthEvent>);
    EXPECT_TRUE(std::has_virtual_destructor_v<SynthParameter>);
    EXPECT_TRUE(std::has_virtual_destructor_v<LinearResampler>);
}

} // namespace
