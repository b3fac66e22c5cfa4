// The VST 2.x extensions over AudioEffect: the dispatcher opcodes 25 to 79,
// the later plug-in operations with neutral defaults, the later host
// requests, four more flag setters, the speaker-arrangement helpers and a
// resume that asks the host for MIDI.
//
// Threads as for AudioEffect: every operation runs on its caller's thread,
// host requests go out on that thread, nothing locks. getTimeInfo is called
// from the audio thread once per block.
#pragma once

#include "plugin/audioeffect.h"

class AudioEffectX : public AudioEffect {
public:
    // The AudioEffect record, nothing more.
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    ~AudioEffectX() override;

    // Answers opcodes 25 to 79; every other opcode goes to AudioEffect's
    // dispatcher. An opcode that expects a text or record in ptr answers 0
    // and calls nothing when ptr is null, except effGetCurrentMidiProgram and
    // effGetSpeakerArrangement, whose operations take null references.
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;
    // A synthesizer asks the host for MIDI every time it is switched on; any
    // other plug-in only when its own canDo("receiveVstMidiEvent") is 1.
    void resume() override;

    virtual bool canParameterBeAutomated(VstInt32 index);
    virtual bool string2parameter(VstInt32 index, char* text);
    virtual bool getParameterProperties(VstInt32 index, VstParameterProperties* p);
    // Host requests around a user's edit of parameter index; false without a
    // host or when the host answers 0.
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);
    // Writes the name of program index into text (24 characters + NUL);
    // false when there is no such program.
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text);
    virtual bool beginSetProgram();
    virtual bool endSetProgram();
    virtual VstInt32 beginLoadBank(VstPatchChunkInfo* ptr);
    virtual VstInt32 beginLoadProgram(VstPatchChunkInfo* ptr);

    // Host requests about the host's setup.
    virtual bool ioChanged();
    // Asks the host for its sample rate; stores a positive answer. Returns the
    // rate now in effect.
    virtual double updateSampleRate();
    // Asks the host for its block size; stores a positive answer. Returns the
    // block size now in effect.
    virtual VstInt32 updateBlockSize();
    virtual VstInt32 getInputLatency();
    virtual VstInt32 getOutputLatency();

    // Describes pin index; false when there is no such pin.
    virtual bool getInputProperties(VstInt32 index, VstPinProperties* properties);
    virtual bool getOutputProperties(VstInt32 index, VstPinProperties* properties);
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* pluginInput,
                                       VstSpeakerArrangement* pluginOutput);
    // The default stores null through each reference that is not null and
    // answers false.
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                       VstSpeakerArrangement** pluginOutput);
    virtual bool setBypass(bool onOff);
    virtual bool setPanLaw(VstInt32 type, float val);
    virtual bool setProcessPrecision(VstInt32 precision);
    virtual VstInt32 getNumMidiInputChannels();
    virtual VstInt32 getNumMidiOutputChannels();

    // Audio thread: asks the host for its time information; null without a
    // host or when the host has none. The record belongs to the host.
    virtual VstTimeInfo* getTimeInfo(VstInt32 filter);
    virtual VstInt32 getCurrentProcessLevel();
    virtual VstInt32 getAutomationState();

    // Audio thread: the MIDI and other events of the coming block.
    virtual VstInt32 processEvents(VstEvents* events);
    virtual VstInt32 startProcess();
    virtual VstInt32 stopProcess();
    virtual bool processVariableIo(VstVariableIo* varIo);
    virtual VstInt32 setTotalSampleToProcess(VstInt32 value);

    // Host requests about the host's identity.
    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual VstInt32 getHostVendorVersion();
    virtual VstIntPtr hostVendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg,
                                         float floatArg);
    // 1 when the host answers anything but 0, else 0.
    virtual VstInt32 canHostDo(char* text);
    virtual VstInt32 getHostLanguage();

    // Flag setters.
    virtual void isSynth(bool state = true);
    virtual void noTail(bool state = true);
    virtual VstInt32 getGetTailSize();
    virtual void* getDirectory();

    // Identity texts: 32 characters + NUL for the effect name, 64 + NUL for
    // vendor and product. false when the plug-in gives none.
    virtual bool getEffectName(char* name);
    virtual bool getVendorString(char* text);
    virtual bool getProductString(char* text);
    virtual VstInt32 getVendorVersion();
    virtual VstIntPtr vendorSpecific(VstInt32 lArg, VstIntPtr lArg2, void* ptrArg, float floatArg);
    // 1 for a capability the plug-in has, -1 for one it lacks, 0 unknown.
    virtual VstInt32 canDo(char* text);
    virtual VstInt32 getVstVersion();
    virtual VstPlugCategory getPlugCategory();

    virtual VstInt32 getMidiProgramName(VstInt32 channel, MidiProgramName* midiProgramName);
    // currentProgram may be null; the default answers -1, no program.
    virtual VstInt32 getCurrentMidiProgram(VstInt32 channel, MidiProgramName* currentProgram);
    virtual VstInt32 getMidiProgramCategory(VstInt32 channel, MidiProgramCategory* category);
    virtual bool hasMidiProgramsChanged(VstInt32 channel);
    virtual bool getMidiKeyName(VstInt32 channel, MidiKeyName* keyName);

    // Host requests from the editor's side.
    virtual bool updateDisplay();
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);
    virtual bool openFileSelector(VstFileSelect* ptr);
    virtual bool closeFileSelector(VstFileSelect* ptr);
    virtual VstInt32 getNextShellPlugin(char* name);

    // Speaker arrangements: one block of a header and numChannels records,
    // owned by whoever holds the reference. Not for the audio thread.
    // Frees what *arrangement refers to and allocates a zeroed one with
    // nbChannels records; false (and *arrangement null) when that fails.
    virtual bool allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 nbChannels);
    // Frees what *arrangement refers to and nulls it; always true.
    virtual bool deallocateArrangement(VstSpeakerArrangement** arrangement);
    // Copies one speaker record, its name cut to 63 characters; false for null.
    virtual bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from);
    // Replaces *to with a copy of from; false for a null from or a failure.
    virtual bool matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from);

    // Offline processing requests and their plug-in side.
    virtual bool offlineRead(VstOfflineTask* offline, VstOfflineOption option,
                             bool readSource = true);
    virtual bool offlineWrite(VstOfflineTask* offline, VstOfflineOption option);
    virtual bool offlineStart(VstAudioFile* ptr, VstInt32 numAudioFiles, VstInt32 numNewAudioFiles);
    virtual VstInt32 offlineGetCurrentPass();
    virtual VstInt32 offlineGetCurrentMetaPass();
    virtual bool offlineNotify(VstAudioFile* ptr, VstInt32 numAudioFiles, bool start);
    virtual bool offlinePrepare(VstOfflineTask* offline, VstInt32 count);
    virtual bool offlineRun(VstOfflineTask* offline, VstInt32 count);
    virtual VstInt32 offlineGetNumPasses();
    virtual VstInt32 offlineGetNumMetaPasses();

    // Deprecated operations keep their slots for binary compatibility.
    virtual void wantEvents(VstInt32 filter = 1);
    virtual VstInt32 tempoAt(VstInt32 pos);
    virtual VstInt32 getNumAutomatableParameters();
    virtual VstInt32 getParameterQuantization();
    virtual VstInt32 getNumCategories();
    virtual bool copyProgram(VstInt32 destination);
    virtual bool needIdle();
    virtual AEffect* getPreviousPlug(VstInt32 input);
    virtual AEffect* getNextPlug(VstInt32 output);
    virtual void inputConnected(VstInt32 index, bool state);
    virtual void outputConnected(VstInt32 index, bool state);
    virtual VstInt32 willProcessReplacing();
    virtual void wantAsyncOperation(bool state = true);
    virtual void hasExternalBuffer(bool state = true);
    virtual VstInt32 reportCurrentPosition();
    virtual float* reportDestinationBuffer();
    virtual void setOutputSamplerate(float samplerate);
    virtual VstSpeakerArrangement* getInputSpeakerArrangement();
    virtual VstSpeakerArrangement* getOutputSpeakerArrangement();
    virtual void* openWindow(VstWindow* window);
    virtual bool closeWindow(VstWindow* window);
    virtual void setBlockSizeAndSampleRate(VstInt32 blockSize, float sampleRate);
    virtual bool getErrorText(char* text);
    virtual void* getIcon();
    virtual bool setViewPosition(VstInt32 x, VstInt32 y);
    virtual VstInt32 fxIdle();
    virtual bool keysRequired();

    virtual bool getChunkFile(void* nativePath);

    // Sends events to the host; true only when the host answers exactly 1.
    // Audio thread.
    bool sendVstEventsToHost(VstEvents* events);
};
