// The base classes as a host reaches them: the record, its flags, both
// dispatchers and the editor's opcodes.
#include "recording.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <string>
#include <utility>

namespace {

constexpr VstInt32 kPrograms = 10;

TEST(AudioEffect, RecordAsConstructedReachesTheObject) {
    RecordingEffect effect(nullptr, kPrograms, 3);
    AEffect* e = effect.getAeffect();
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, kPrograms);
    EXPECT_EQ(e->numParams, 3);
    EXPECT_EQ(e->numInputs, 1);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, effFlagsCanReplacing);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->object, static_cast<void*>(static_cast<AudioEffect*>(&effect)));
    EXPECT_EQ(e->uniqueID, 0x4E6F4566);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->resvd1 | e->resvd2 | e->initialDelay, 0);
    EXPECT_EQ(e->user, nullptr);
    EXPECT_EQ(std::string(e->future, sizeof e->future), std::string(sizeof e->future, '\0'));
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
    PlainEffect effect;
    AEffect* e = effect.getAeffect();
    const std::pair<void (AudioEffectX::*)(bool), VstInt32> setters[] = {
        {&AudioEffect::hasClip, effFlagsHasClip},
        {&AudioEffect::hasVu, effFlagsHasVu},
        {&AudioEffect::canMono, effFlagsCanMono},
        {&AudioEffect::canProcessReplacing, effFlagsCanReplacing},
        {&AudioEffect::programsAreChunks, effFlagsProgramChunks},
        {&AudioEffect::canDoubleReplacing, effFlagsCanDoubleReplacing},
        {&AudioEffectX::isSynth, effFlagsIsSynth},
        {&AudioEffectX::noTail, effFlagsNoSoundInStop},
        {&AudioEffectX::wantAsyncOperation, effFlagsExtIsAsync},
        {&AudioEffectX::hasExternalBuffer, effFlagsExtHasBuffer},
    };
    for (const auto& [set, bit] : setters) {
        e->flags = 0x5a5a & ~bit;
        (effect.*set)(true);
        EXPECT_EQ(e->flags, (0x5a5a & ~bit) | bit) << bit;
        (effect.*set)(false);
        EXPECT_EQ(e->flags, 0x5a5a & ~bit) << bit;
    }
}

TEST(AudioEffect, DispatcherTable) {
    VstSpeakerArrangement input{};
    input.numChannels = 3;
    std::vector<DispatchCase> cases = {
        {effOpen, 0, 0, false, 0, 0, "open()"},
        {effClose, 0, 0, false, 0, 0, "close()"},
        {effSetProgram, 0, 3, false, 0, 0, "setProgram(3)"},
        {effSetProgram, 0, kPrograms - 1, false, 0, 0, "setProgram(9)"},
        {effSetProgram, 0, kPrograms, false, 0, 0, ""},
        {effSetProgram, 0, -1, false, 0, 0, "setProgram(-1)"},
        // Values beyond 32 bits are refused, not cut into a valid program.
        {effSetProgram, 0, VstIntPtr(1) << 32, false, 0, 0, ""},
        {effSetProgram, 0, -(VstIntPtr(1) << 32) + 2, false, 0, 0, ""},
        {effSetProgram, 0, INT32_MIN, false, 0, 0, "setProgram(-2147483648)"},
        {effSetProgramName, 0, 0, true, 0, 0, "setProgramName(text)"},
        {effGetParamLabel, 2, 0, true, 0, 0, "getParameterLabel(2)"},
        {effGetParamDisplay, 1, 0, true, 0, 0, "getParameterDisplay(1)"},
        {effGetParamName, 0, 0, true, 0, 0, "getParameterName(0)"},
        {effSetSampleRate, 0, 0, false, 48000.0f, 0, "setSampleRate(48000)"},
        {effSetBlockSize, 0, 512, false, 0, 0, "setBlockSize(512)"},
        {effMainsChanged, 0, 2, false, 0, 0, "resume() canDo(receiveVstMidiEvent)"},
        {effMainsChanged, 0, 0, false, 0, 0, "suspend()"},
        {effIdentify, 0, 0, false, 0, 0x4E764566, ""},
        {effGetChunk, 1, 0, true, 0, -7, "getChunk(1)"},
        {effGetChunk, 0, 0, true, 0, 12, "getChunk(0)"},
        {effSetChunk, 0, 300, true, 0, 1, "setChunk(300,0)"},
        {effSetChunk, 5, 300, true, 0, 1, "setChunk(300,1)"},
        // The extensions. The whole value: a reference cut to 32 bits would
        // not reach the record.
        {effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), true, 0, 1,
         "setSpeakerArrangement(3,0)"},
        {effProcessEvents, 0, 0, true, 0, 1, "processEvents(0)"},
        {effCanBeAutomated, 3, 0, false, 0, 1, "canParameterBeAutomated(3)"},
        {effCanBeAutomated, 3, 0, false, 0, 0, "canParameterBeAutomated(3)"},
        {effString2Parameter, 1, 0, true, 0, 1, "string2parameter(1,text)"},
        {effGetProgramNameIndexed, 5, 9, true, 0, 1, "getProgramNameIndexed(9,5)"},
        {effGetInputProperties, 1, 0, true, 0, 1, "getInputProperties(1)"},
        {effGetOutputProperties, 1, 0, true, 0, 0, "getOutputProperties(1)"},
        {effOfflineNotify, 1, 3, true, 0, 1, "offlineNotify(3,1)"},
        {effOfflineNotify, 0, 3, true, 0, 1, "offlineNotify(3,0)"},
        {effOfflinePrepare, 0, 4, true, 0, 1, "offlinePrepare(4)"},
        {effOfflineRun, 0, 4, true, 0, 0, "offlineRun(4)"},
        {effSetBypass, 0, 2, false, 0, 1, "setBypass(1)"},
        {effSetBypass, 0, 0, false, 0, 0, "setBypass(0)"},
        {effVendorSpecific, 7, VstIntPtr(1) << 40, true, 0.5f, VstIntPtr(1) << 33,
         "vendorSpecific(7,1099511627776,0.5)"},
        {effCanDo, 0, 0, true, 0, -1, "canDo(text)"},
        {effGetParameterProperties, 1, 0, true, 0, 1, "getParameterProperties(1)"},
        {effGetMidiProgramName, 3, 0, true, 0, 5, "getMidiProgramName(3)"},
        {effGetCurrentMidiProgram, 3, 0, true, 0, -1, "getCurrentMidiProgram(3)"},
        // Answered without a record too: 0 would name a real program.
        {effGetCurrentMidiProgram, 3, 0, false, 0, -1, "getCurrentMidiProgram(3)"},
        {effGetMidiProgramCategory, 3, 0, true, 0, 2, "getMidiProgramCategory(3)"},
        {effHasMidiProgramsChanged, 3, 0, false, 0, 1, "hasMidiProgramsChanged(3)"},
        {effGetMidiKeyName, 3, 0, true, 0, 1, "getMidiKeyName(3)"},
        // One reference given is still written through.
        {effGetSpeakerArrangement, 0, 0, true, 0, 0, "getSpeakerArrangement()"},
        {effSetTotalSampleToProcess, 0, 512, false, 0, 512, "setTotalSampleToProcess(512)"},
        {effSetPanLaw, 0, 1, false, 0.5f, 1, "setPanLaw(1,0.5)"},
        {effSetProcessPrecision, 0, 1, false, 0, 1, "setProcessPrecision(1)"},
    };
    // Deprecated and unknown opcodes, and those without the editor they
    // need, reach nothing (effGetNumProgramCategories would answer 1); nor do
    // opcodes that need a pointer and get none. The opcodes of operations
    // without arguments show in the answers of the default table.
    for (VstInt32 opcode : std::initializer_list<VstInt32>{effGetNumProgramCategories,
                                                           effCopyProgram,
                                                           effConnectInput,
                                                           effConnectOutput,
                                                           effGetCurrentPosition,
                                                           effGetDestinationBuffer,
                                                           effSetBlockSizeAndSampleRate,
                                                           effGetErrorText,
                                                           effIdle,
                                                           effGetIcon,
                                                           effSetViewPosition,
                                                           effKeysRequired,
                                                           effEditKeyDown,
                                                           effEditKeyUp,
                                                           effSetEditKnobMode,
                                                           effGetVu,
                                                           effEditGetRect,
                                                           effEditOpen,
                                                           effEditClose,
                                                           effEditDraw,
                                                           effEditMouse,
                                                           effEditKey,
                                                           effEditIdle,
                                                           effEditTop,
                                                           effEditSleep,
                                                           80,
                                                           200,
                                                           -1,
                                                           std::numeric_limits<VstInt32>::min()}) {
        cases.push_back({opcode, 1, 1, true, 1.0f, 0, ""});
    }
    for (VstInt32 opcode :
         {effSetProgramName, effGetProgramName, effGetParamName, effGetChunk, effProcessEvents,
          effString2Parameter, effGetProgramNameIndexed, effGetOutputProperties, effCanDo}) {
        cases.push_back({opcode, 1, 1, false, 0, 0, ""});
    }
    expectDispatches(kPrograms, cases);
    // AudioEffect's own dispatcher knows none of the extensions.
    cases.clear();
    for (VstInt32 opcode : {effProcessEvents, effCanDo, effGetNumMidiOutputChannels}) {
        cases.push_back({opcode, 1, 1, true, 1.0f, 0, ""});
    }
    expectDispatches(kPrograms, cases, true);
}

TEST(AudioEffect, StoredProgramAndDefaultTexts) {
    PlainEffect effect;
    effect.dispatcher(effSetProgram, 0, -1, nullptr, 0);
    EXPECT_EQ(effect.dispatcher(effGetProgram, 0, 0, nullptr, 0), -1); // sign-extended
    // The default text operations clear the first byte only.
    for (VstInt32 opcode :
         {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName}) {
        char text[4] = {'x', 'y', 'z', 'w'};
        EXPECT_EQ(effect.dispatcher(opcode, 0, 0, text, 0), 0);
        EXPECT_EQ(std::string(text, 4), std::string("\0yzw", 4)) << opcode;
    }
}

TEST(AudioEffect, EditorOpcodesReachTheEditorItOwns) {
    CallLog log;
    bool editorDestroyed = false;
    auto* effect = new RecordingEffect(nullptr, kPrograms, 3);
    auto* editor = new RecordingEditor(effect, log, &editorDestroyed);
    effect->setEditor(editor);
    AEffect* e = effect->getAeffect();
    EXPECT_EQ(e->flags & effFlagsHasEditor, effFlagsHasEditor);
    EXPECT_EQ(effect->getEditor(), editor);

    ERect* rect = nullptr;
    int window = 0;
    const auto dispatch = [&](VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt) {
        return effect->dispatcher(opcode, index, value, ptr, opt);
    };
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect, 0), 1);
    EXPECT_EQ(rect, &editor->rect);
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &window, 0), 1);
    EXPECT_EQ(dispatch(effEditIdle, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(dispatch(effEditClose, 0, 0, nullptr, 0), 0);
    // The key record: index, the low byte of value, opt truncated.
    EXPECT_EQ(dispatch(effEditKeyDown, 65, 300, nullptr, 2.9f), 1);
    EXPECT_EQ(dispatch(effEditKeyUp, 66, 0x1FF, nullptr, 258.5f), 1);
    editor->next = 0;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect, 0), 0);
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &window, 0), 0);
    EXPECT_EQ(dispatch(effEditKeyDown, 1, 0, nullptr, -1.0f), 0);
    EXPECT_EQ(dispatch(effSetEditKnobMode, 0, 2, nullptr, 0), 0);
    // A modifier no integer holds is no modifier rather than undefined.
    EXPECT_EQ(dispatch(effEditKeyDown, 2, 0, nullptr, 1e30f), 0);
    // The deprecated editor opcodes reach nothing, nor does a null window or
    // rectangle reference.
    for (VstInt32 opcode : {effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep}) {
        EXPECT_EQ(dispatch(opcode, 0, 0, &window, 0), 0);
    }
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(log.joined(), "editor.getRect() editor.open(1) editor.idle() editor.close() "
                            "editor.onKeyDown(65,44,2) editor.onKeyUp(66,255,2) editor.getRect() "
                            "editor.open(1) editor.onKeyDown(1,0,255) editor.setKnobMode(2) "
                            "editor.onKeyDown(2,0,0)");

    // Unregistered, the editor is neither deleted nor asked for its
    // rectangle, and the host's reference is left alone.
    effect->setEditor(nullptr);
    EXPECT_EQ(e->flags & effFlagsHasEditor, 0);
    EXPECT_FALSE(editorDestroyed);
    ERect sentinel{};
    rect = &sentinel;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect, 0), 0);
    EXPECT_EQ(rect, &sentinel);

    // effClose through the record closes, then destroys object and editor.
    effect->setEditor(editor);
    CallLog afterlife;
    effect->afterlife = &afterlife;
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0), 1);
    EXPECT_EQ(afterlife.joined(), "close() destroyed()");
    EXPECT_TRUE(editorDestroyed);
}

TEST(AEffEditor, Defaults) {
    PlainEffect effect;
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
    EXPECT_FALSE(editor->onKeyDown(key) || editor->onKeyUp(key) || editor->onWheel(1.0f) ||
                 editor->setKnobMode(1));
}

} // namespace
