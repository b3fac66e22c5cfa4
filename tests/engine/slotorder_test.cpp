// The engine's classes keep their operations in a fixed order in the virtual
// table: destructors, where a class has a virtual one, come after them.
#include <gtest/gtest.h>

#include <type_traits>

#include "../support/vtableslot.h"
#include "engine/envelope.h"
#include "engine/integersynthparameter.h"
#include "engine/linearresampler.h"
#include "engine/synthengine.h"

namespace {

TEST(EngineSlotOrder, OperationsTakeTheFirstSlotsInOrder) {
    const struct {
        const char* name;
        long actual;
        long expected;
    } slots[] = {
        {"SynthEngine::process", vtableSlot(&SynthEngine::process), 0},
        {"SynthEngine::setProgram", vtableSlot(&SynthEngine::setProgram), 1},
        {"SynthEngine::noteOn", vtableSlot(&SynthEngine::noteOn), 2},
        {"SynthEngine::noteOff", vtableSlot(&SynthEngine::noteOff), 3},
        {"SynthEngine::pitchBend", vtableSlot(&SynthEngine::pitchBend), 4},
        {"SynthEvent::execute", vtableSlot(&SynthEvent::execute), 0},
        {"SynthParameter::getDisplay", vtableSlot(&SynthParameter::getDisplay), 0},
        {"SynthParameter::setValue", vtableSlot(&SynthParameter::setValue), 1},
        {"SynthParameter::clone", vtableSlot(&SynthParameter::clone), 2},
        {"IntegerSynthParameter::clone", vtableSlot(&IntegerSynthParameter::clone), 2},
        {"Envelope::process", vtableSlot(&Envelope::process), 0},
        {"Envelope::isActive", vtableSlot(&Envelope::isActive), 1},
        {"Envelope::noteOn", vtableSlot(&Envelope::noteOn), 2},
        {"Envelope::noteOff", vtableSlot(&Envelope::noteOff), 3},
        {"ADSR::noteOff", vtableSlot(&ADSR::noteOff), 3},
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
