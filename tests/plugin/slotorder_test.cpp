// Hosts and the editor binding reach the plug-in object through its virtual
// table laid out in the VST 2.4 order; a slot that moves breaks binary
// compatibility with code built against that order. Each list names the
// operations of consecutive slots, so an operation inserted, removed or
// swapped anywhere fails the test.
#include "../support/vtableslot.h"
#include "plugin/aeffeditor.h"
#include "plugin/audioeffectx.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// An operation of the class C in scope where the macro is used, by name.
#define S(name) std::pair<const char*, long>(#name, vtableSlot(&C::name))

template <class... Slots> void expectConsecutive(long first, const Slots&... slots) {
    for (const auto& [name, slot] : {slots...}) {
        EXPECT_EQ(slot, first++) << name;
    }
}

TEST(SlotOrder, AudioEffect) {
    using C = AudioEffect;
    expectConsecutive(
        2, S(dispatcher), S(open), S(close), S(suspend), S(resume), S(setSampleRate),
        S(setBlockSize), S(processReplacing), S(processDoubleReplacing), S(setParameter),
        S(getParameter), S(setParameterAutomated), S(getProgram), S(setProgram), S(setProgramName),
        S(getProgramName), S(getParameterLabel), S(getParameterDisplay), S(getParameterName),
        S(getChunk), S(setChunk), S(setUniqueID), S(setNumInputs), S(setNumOutputs),
        S(canProcessReplacing), S(canDoubleReplacing), S(programsAreChunks), S(setInitialDelay),
        S(getEditor), S(getAeffect), S(getSampleRate), S(getBlockSize), S(getMasterVersion),
        S(getCurrentUniqueId), S(masterIdle), S(dB2string), S(Hz2string), S(ms2string),
        S(float2string), S(int2string), S(process), S(getVu), S(hasVu), S(hasClip), S(canMono),
        S(setRealtimeQualities), S(setOfflineQualities), S(isInputConnected), S(isOutputConnected));
    EXPECT_EQ(vtableSlot(&C::setEditor), -1);
}

TEST(SlotOrder, AudioEffectX) {
    using C = AudioEffectX;
    // The overrides keep their base class slots.
    expectConsecutive(2, S(dispatcher));
    expectConsecutive(6, S(resume));
    expectConsecutive(
        51, S(canParameterBeAutomated), S(string2parameter), S(getParameterProperties),
        S(beginEdit), S(endEdit), S(getProgramNameIndexed), S(beginSetProgram), S(endSetProgram),
        S(beginLoadBank), S(beginLoadProgram), S(ioChanged), S(updateSampleRate),
        S(updateBlockSize), S(getInputLatency), S(getOutputLatency), S(getInputProperties),
        S(getOutputProperties), S(setSpeakerArrangement), S(getSpeakerArrangement), S(setBypass),
        S(setPanLaw), S(setProcessPrecision), S(getNumMidiInputChannels),
        S(getNumMidiOutputChannels), S(getTimeInfo), S(getCurrentProcessLevel),
        S(getAutomationState), S(processEvents), S(startProcess), S(stopProcess),
        S(processVariableIo), S(setTotalSampleToProcess), S(getHostVendorString),
        S(getHostProductString), S(getHostVendorVersion), S(hostVendorSpecific), S(canHostDo),
        S(getHostLanguage), S(isSynth), S(noTail), S(getGetTailSize), S(getDirectory),
        S(getEffectName), S(getVendorString), S(getProductString), S(getVendorVersion),
        S(vendorSpecific), S(canDo), S(getVstVersion), S(getPlugCategory), S(getMidiProgramName),
        S(getCurrentMidiProgram), S(getMidiProgramCategory), S(hasMidiProgramsChanged),
        S(getMidiKeyName), S(updateDisplay), S(sizeWindow), S(openFileSelector),
        S(closeFileSelector), S(getNextShellPlugin), S(allocateArrangement),
        S(deallocateArrangement), S(copySpeaker), S(matchArrangement), S(offlineRead),
        S(offlineWrite), S(offlineStart), S(offlineGetCurrentPass), S(offlineGetCurrentMetaPass),
        S(offlineNotify), S(offlinePrepare), S(offlineRun), S(offlineGetNumPasses),
        S(offlineGetNumMetaPasses), S(wantEvents), S(tempoAt), S(getNumAutomatableParameters),
        S(getParameterQuantization), S(getNumCategories), S(copyProgram), S(needIdle),
        S(getPreviousPlug), S(getNextPlug), S(inputConnected), S(outputConnected),
        S(willProcessReplacing), S(wantAsyncOperation), S(hasExternalBuffer),
        S(reportCurrentPosition), S(reportDestinationBuffer), S(setOutputSamplerate),
        S(getInputSpeakerArrangement), S(getOutputSpeakerArrangement), S(openWindow),
        S(closeWindow), S(setBlockSizeAndSampleRate), S(getErrorText), S(getIcon),
        S(setViewPosition), S(fxIdle), S(keysRequired), S(getChunkFile));
    EXPECT_EQ(vtableSlot(&C::sendVstEventsToHost), -1);
}

TEST(SlotOrder, AEffEditor) {
    using C = AEffEditor;
    expectConsecutive(2, S(getEffect), S(getRect), S(open), S(close), S(isOpen), S(idle),
                      S(onKeyDown), S(onKeyUp), S(onWheel), S(setKnobMode));
}

} // namespace
