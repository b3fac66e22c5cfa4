#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/integersynthparameter.h"
#include "engine/synthprogram.h"

namespace {

TEST(ParameterMapping, FloorMappingsOverFunkinessRange) {
    const struct {
        float host;
        float value;
    } fromHost[] = {{0.5f, 0.0f},  {1.0f, 3.0f}, {0.0f, -3.0f},
                    {0.99f, 2.0f}, {1.5f, 6.0f}, {-1.0f, -9.0f}}; // not clamped: setValue clamps
    for (const auto& c : fromHost) {
        EXPECT_EQ(floorFromNormalized(-3.0f, 3.0f, c.host), c.value) << c.host;
    }
    for (float v = -3.0f; v <= 3.0f; v += 1.0f) {
        EXPECT_EQ(floorFromNormalized(-3.0f, 3.0f, floorToNormalized(-3.0f, 3.0f, v)), v) << v;
    }
    EXPECT_EQ(floorToNormalized(-3.0f, 3.0f, 2.0f), 5.0f / 6.0f);
    EXPECT_EQ(floorToNormalized(-3.0f, 3.0f, 2.9f), 5.0f / 6.0f);
}

TEST(ParameterMapping, LinearMappingsInSinglePrecision) {
    // At these values rounding every step to float differs from rounding a
    // double result once.
    EXPECT_EQ(linearFromNormalized(-3.0f, 3.0f, 0.7f), 0x1.33333p+0f);
    EXPECT_EQ(linearToNormalized(-3.0f, 3.0f, 1.7f), 0x1.91111p-1f);
    // Neither direction clamps.
    EXPECT_EQ(linearFromNormalized(0.0f, 1.0f, 2.0f), 2.0f);
    EXPECT_EQ(linearToNormalized(0.0f, 10.0f, -5.0f), -0.5f);
    const SynthParameter plain;
    EXPECT_EQ(plain.m_fromNormalized, &linearFromNormalized);
    EXPECT_EQ(plain.m_toNormalized, &linearToNormalized);
}

// A NaN leaves the value (the default, 1) as it was.
TEST(SynthParameter, SetValueClamps) {
    const struct {
        float in;
        float plain;
        float integer;
    } cases[] = {{0.5f, 0.5f, 0.0f},     {2.7f, 2.7f, 2.0f},        {-3.2f, -3.0f, -3.0f},
                 {9.0f, 3.0f, 3.0f},     {-3.0f, -3.0f, -3.0f},     {-2.5f, -2.5f, -3.0f},
                 {INFINITY, 3.0f, 3.0f}, {-INFINITY, -3.0f, -3.0f}, {NAN, 1.0f, 1.0f}};
    for (const auto& c : cases) {
        SynthParameter plain("P", "osc", -3.0f, 3.0f, 1.0f);
        IntegerSynthParameter integer("I", "osc", -3.0f, 3.0f, 1.0f);
        plain.setValue(c.in);
        integer.setValue(c.in);
        EXPECT_EQ(plain.m_value, c.plain) << c.in;
        EXPECT_EQ(integer.m_value, c.integer) << c.in;
    }
}

TEST(SynthParameter, DisplayTexts) {
    const std::string longUnit(300, 'u');
    const struct {
        bool integer;
        float value;
        const char* unit;
        std::string text;
    } cases[] = {
        {false, 0.5f, "", "0.50 "},
        {false, -3.0f, "osc", "-3.00 osc"},
        {true, 2.0f, "osc", "2 osc"},
        {true, -3.0f, "osc", "-3 osc"},
        {true, -2.9f, "osc", "-2 osc"}, // toward zero
        {true, 1e20f, "", "2147483647 "},
        {true, NAN, "x", "0 x"},
        {false, 1.0f, longUnit.c_str(), "1.00 " + longUnit.substr(0, 58)}, // cut to 63
        {true, 7.0f, longUnit.c_str(), "7 " + longUnit.substr(0, 61)},
    };
    for (const auto& c : cases) {
        const std::unique_ptr<SynthParameter> p(
            c.integer ? new IntegerSynthParameter("I", c.unit, -1e30f, 1e30f, 0.0f)
                      : new SynthParameter("P", c.unit, -1e30f, 1e30f, 0.0f));
        p->m_value = c.value;
        EXPECT_EQ(p->getDisplay(), c.text) << c.value;
    }
}

// Records the order in which parameters are destroyed.
std::vector<int> g_destroyed;

class TracedParameter : public SynthParameter {
public:
    explicit TracedParameter(int id) : m_id(id) {}
    ~TracedParameter() override { g_destroyed.push_back(m_id); }
    SynthParameter* clone() const override { return new TracedParameter(m_id + 100); }
    int m_id;
};

SynthProgram tracedProgram(const char* name, std::initializer_list<int> ids) {
    SynthProgram program(0);
    program.setName(name);
    for (int id : ids) {
        program.m_parameters.push_back(new TracedParameter(id));
    }
    return program;
}

TEST(SynthProgram, NewProgramHasDefaultParameters) {
    const SynthProgram empty(0);
    EXPECT_EQ(empty.m_name, "Unnamed Program");
    EXPECT_TRUE(empty.getParameters().empty());
    EXPECT_TRUE(SynthProgram(-5).getParameters().empty());
    const SynthProgram two(2);
    ASSERT_EQ(two.getParameters().size(), 2u);
    EXPECT_NE(two.getParameters()[0], two.getParameters()[1]);
    EXPECT_EQ(two.getParameters()[1]->m_name, "Unnamed Parameter");
}

TEST(SynthProgram, AssignmentClonesAndDeletesTheReplacedLastToFirst) {
    {
        SynthProgram a = tracedProgram("A", {1, 2});
        SynthProgram b = tracedProgram("B", {3, 4, 5});
        g_destroyed.clear();
        b = a;
        EXPECT_EQ(g_destroyed, (std::vector<int>{5, 4, 3}));
        EXPECT_EQ(b.m_name, "A");

        const std::vector<SynthParameter*> before = a.m_parameters;
        a = *&a;
        EXPECT_EQ(a.m_parameters, before);
        EXPECT_EQ(g_destroyed.size(), 3u);
        g_destroyed.clear();
    }
    // b (clones 101 and 102 of a's parameters) then a, each first to last.
    EXPECT_EQ(g_destroyed, (std::vector<int>{101, 102, 1, 2}));
}

TEST(SynthProgram, CopyKeepsTheParameterKind) {
    SynthProgram source(0);
    source.m_parameters.push_back(new IntegerSynthParameter("Funkiness", "osc", -3.0f, 3.0f, 2.0f));
    source.setName("Lead-01");
    const SynthProgram copy(source);
    EXPECT_EQ(copy.m_name, "Lead-01");
    ASSERT_EQ(copy.m_parameters.size(), 1u);
    const SynthParameter* p = copy.m_parameters[0];
    EXPECT_NE(p, source.m_parameters[0]);
    EXPECT_EQ(p->m_fromNormalized, &floorFromNormalized);
    EXPECT_EQ(p->getDisplay(), "2 osc");
    EXPECT_EQ(p->m_name, "Funkiness");

    std::vector<SynthProgram> list;
    for (int i = 0; i < 40; ++i) {
        list.push_back(copy); // growing the list must neither share nor lose parameters
    }
    EXPECT_EQ(list[0].m_parameters[0]->getDisplay(), "2 osc");
    EXPECT_NE(list[0].m_parameters[0], list[39].m_parameters[0]);
}

} // namespace
