#include "plugin/audioeffect.h"

#include "recordingeffect.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <string>

namespace {

constexpr VstInt32 kPrograms = 10;
constexpr VstInt32 kParams = 3;

TEST(AudioEffect, RecordAsConstructedReachesTheObject) {
    RecordingEffect effect(nullptr, kPrograms, kParams);
    AEffect* e = effect.getAeffect();
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, kPrograms);
    EXPECT_EQ(e->numParams, kParams);
    EXPECT_EQ(e->numInputs, 1);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, effFlagsCanReplacing);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->object, static_cast<void*>(static_cast<AudioEffect*>(&effect)));
    EXPECT_EQ(e->uniqueID, 0x4E6F4566);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->resvd1, 0);
    EXPECT_EQ(e->resvd2, 0);
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->user, nullptr);
    for (char c : e->future) {
        EXPECT_EQ(c, 0);
    }
    EXPECT_EQ(effect.getSampleRate(), 44100.0f);
    EXPECT_EQ(effect.getBlockSize(), 1024);
    EXPECT_EQ(effect.getProgram(), 0);

    float left[4] = {};
    float* outputs[2] = {left, left};
    e->processReplacing(e, nullptr, outputs, 4);
    e->setParameter(e, 2, 0.25f);
    EXPECT_EQ(e->getParameter(e, 2), 0.0f);
    e->process(e, nullptr, outputs, 4);                // deprecated: empty by default
    e->processDoubleReplacing(e, nullptr, nullptr, 4); // empty by default
    EXPECT_EQ(effect.log.joined(), "processReplacing(4) setParameter(2,0.25)");
}

TEST(AudioEffect, FlagSettersTouchOnlyTheirBit) {
    RecordingEffect effect(nullptr, kPrograms, kParams);
    AEffect* e = effect.getAeffect();
    struct Setter {
        void (AudioEffect::*set)(bool);
        VstInt32 bit;
    };
    const Setter setters[] = {
        {&AudioEffect::hasClip, effFlagsHasClip},
        {&AudioEffect::hasVu, effFlagsHasVu},
        {&AudioEffect::canMono, effFlagsCanMono},
        {&AudioEffect::canProcessReplacing, effFlagsCanReplacing},
        {&AudioEffect::programsAreChunks, effFlagsProgramChunks},
        {&AudioEffect::canDoubleReplacing, effFlagsCanDoubleReplacing},
    };
    for (const Setter& setter : setters) {
        e->flags = 0x5a5a & ~setter.bit;
        (effect.*setter.set)(true);
        EXPECT_EQ(e->flags, (0x5a5a & ~setter.bit) | setter.bit) << setter.bit;
        (effect.*setter.set)(false);
        EXPECT_EQ(e->flags, 0x5a5a & ~setter.bit) << setter.bit;
    }
}

TEST(AudioEffect, DispatcherTable) {
    std::vector<DispatchCase> cases = {
        {effOpen, 0, 0, false, 0, 0, 0, "open()"},
        {effClose, 0, 0, false, 0, 0, 0, "close()"},
        {effSetProgram, 0, 3, false, 0, 0, 0, "setProgram(3)"},
        {effSetProgram, 0, kPrograms - 1, false, 0, 0, 0, "setProgram(9)"},
        {effSetProgram, 0, kPrograms, false, 0, 0, 0, ""},
        {effSetProgram, 0, -1, false, 0, 0, 0, "setProgram(-1)"},
        {effSetProgram, 0, VstIntPtr(1) << 32, false, 0, 0, 0, ""},
        {effSetProgram, 0, -(VstIntPtr(1) << 32) + 2, false, 0, 0, 0, ""},
        {effSetProgram, 0, INT32_MIN, false, 0, 0, 0, "setProgram(-2147483648)"},
        {effSetProgramName, 0, 0, true, 0, 0, 0, "setProgramName(text)"},
        {effGetProgramName, 0, 0, true, 0, 0, 0, "getProgramName()"},
        {effGetParamLabel, 2, 0, true, 0, 0, 0, "getParameterLabel(2)"},
        {effGetParamDisplay, 1, 0, true, 0, 0, 0, "getParameterDisplay(1)"},
        {effGetParamName, 0, 0, true, 0, 0, 0, "getParameterName(0)"},
        {effSetSampleRate, 0, 0, false, 48000.0f, 0, 0, "setSampleRate(48000)"},
        {effSetBlockSize, 0, 512, false, 0, 0, 0, "setBlockSize(512)"},
        {effMainsChanged, 0, 2, false, 0, 0, 0, "resume()"},
        {effMainsChanged, 0, 0, false, 0, 0, 0, "suspend()"},
        {effIdentify, 0, 0, false, 0, 0, 0x4E764566, ""},
        {effGetChunk, 1, 0, true, 0, -7, -7, "getChunk(1)"},
        {effGetChunk, 0, 0, true, 0, 12, 12, "getChunk(0)"},
        {effSetChunk, 0, 300, true, 0, 1, 1, "setChunk(300,0)"},
        {effSetChunk, 5, 300, true, 0, 1, 1, "setChunk(300,1)"},
    };
    // Without an editor, for the editor's opcodes, and for deprecated,
    // extended and unknown ones the basic dispatcher calls nothing although
    // every operation would answer 1; nor where a pointer is needed and null.
    for (VstInt32 opcode : std::initializer_list<VstInt32>{
             effGetVu, effEditGetRect, effEditOpen, effEditClose, effEditDraw, effEditMouse,
             effEditKey, effEditIdle, effEditTop, effEditSleep, effProcessEvents,
             effGetNumMidiOutputChannels, 200, -1, std::numeric_limits<VstInt32>::min()}) {
        cases.push_back({opcode, 1, 1, true, 1.0f, 1, 0, ""});
    }
    for (VstInt32 opcode : {effSetProgramName, effGetProgramName, effGetParamName, effGetChunk}) {
        cases.push_back({opcode, 1, 1, false, 0, 1, 0, ""});
    }
    expectDispatches<RecordingEffect>(kPrograms, cases);
}

TEST(AudioEffect, GetProgramAnswersTheStoredProgramSignExtended) {
    RecordingEffect effect(nullptr, kPrograms, kParams);
    effect.dispatcher(effSetProgram, 0, 4, nullptr, 0);
    EXPECT_EQ(effect.dispatcher(effGetProgram, 0, 0, nullptr, 0), 4);
    effect.dispatcher(effSetProgram, 0, -1, nullptr, 0);
    EXPECT_EQ(effect.dispatcher(effGetProgram, 0, 0, nullptr, 0), -1);
}

TEST(AudioEffect, DefaultTextOperationsClearOnlyTheFirstByte) {
    PlainEffect<AudioEffect> effect;
    for (VstInt32 opcode :
         {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName}) {
        char text[4] = {'x', 'y', 'z', 'w'};
        EXPECT_EQ(effect.dispatcher(opcode, 0, 0, text, 0), 0);
        EXPECT_EQ(std::string(text, 4), std::string("\0yzw", 4)) << opcode;
    }
}

TEST(AudioEffect, EditorOpcodesReachTheEditor) {
    CallLog log;
    RecordingEffect effect(nullptr, kPrograms, kParams);
    auto* editor = new RecordingEditor(&effect, log);
    effect.setEditor(editor);
    EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, effFlagsHasEditor);
    EXPECT_EQ(effect.getEditor(), editor);

    ERect* rect = nullptr;
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &rect, 0), 1);
    ASSERT_EQ(rect, &editor->rect);
    int window = 0;
    EXPECT_EQ(effect.dispatcher(effEditOpen, 0, 0, &window, 0), 1);
    EXPECT_EQ(effect.dispatcher(effEditIdle, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(effect.dispatcher(effEditClose, 0, 0, nullptr, 0), 0);
    editor->next = false;
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &rect, 0), 0);
    EXPECT_EQ(effect.dispatcher(effEditOpen, 0, 0, &window, 0), 0);
    // The deprecated editor opcodes reach nothing, and a null window or
    // rectangle reference never reaches the editor.
    for (VstInt32 opcode : {effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep}) {
        EXPECT_EQ(effect.dispatcher(opcode, 0, 0, &window, 0), 0);
    }
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(effect.dispatcher(effEditOpen, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(log.joined(), "editor.getRect() editor.open(1) editor.idle() editor.close() "
                            "editor.getRect() editor.open(1)");
}

TEST(AudioEffect, SetEditorNullClearsTheFlagWithoutDeleting) {
    CallLog log;
    bool destroyed = false;
    RecordingEffect effect(nullptr, kPrograms, kParams);
    RecordingEditor editor(&effect, log, &destroyed);
    effect.setEditor(&editor);
    effect.setEditor(nullptr);
    EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, 0);
    EXPECT_FALSE(destroyed);
    // Without an editor the host's rectangle reference is left alone.
    ERect sentinel{};
    ERect* rect = &sentinel;
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &rect, 0), 0);
    EXPECT_EQ(rect, &sentinel);
}

TEST(AudioEffect, CloseThroughTheRecordClosesThenDestroysObjectAndEditor) {
    struct Order : RecordingEffect {
        explicit Order(std::string& trail) : RecordingEffect(nullptr, 1, 1), m_trail(trail) {}
        ~Order() override { m_trail += "destroyed"; }
        void close() override { m_trail += "close,"; }
        std::string& m_trail;
    };
    std::string trail;
    CallLog editorLog;
    bool editorDestroyed = false;
    auto* effect = new Order(trail);
    effect->setEditor(new RecordingEditor(effect, editorLog, &editorDestroyed));
    AEffect* e = effect->getAeffect();
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0), 1);
    EXPECT_EQ(trail, "close,destroyed");
    EXPECT_TRUE(editorDestroyed);
}

TEST(AEffEditor, Defaults) {
    PlainEffect<AudioEffect> effect;
    AEffEditor* editor = new AEffEditor(&effect);
    effect.setEditor(editor);
    EXPECT_EQ(editor->getEffect(), &effect);
    EXPECT_FALSE(editor->isOpen());
    int window = 0;
    EXPECT_EQ(effect.dispatcher(effEditOpen, 0, 0, &window, 0), 0);
    EXPECT_TRUE(editor->isOpen());
    effect.dispatcher(effEditClose, 0, 0, nullptr, 0);
    EXPECT_FALSE(editor->isOpen());

    ERect sentinel{};
    ERect* rect = &sentinel;
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &rect, 0), 0);
    EXPECT_EQ(rect, nullptr);
    VstKeyCode key{};
    EXPECT_FALSE(editor->onKeyDown(key));
    EXPECT_FALSE(editor->onKeyUp(key));
    EXPECT_FALSE(editor->onWheel(1.0f));
    EXPECT_FALSE(editor->setKnobMode(1));
}

} // namespace
