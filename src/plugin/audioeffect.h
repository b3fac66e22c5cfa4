// The root of every plug-in object: owns the AEffect record the host holds,
// turns the host's calls through that record into virtual calls, answers the
// basic dispatcher opcodes 0 to 24, keeps the host callback and sends the
// basic host requests through it, and owns the editor.
//
// Threads: the dispatcher, the parameter callbacks and the audio callbacks
// run on whichever host thread makes the call; the class takes no lock and
// starts no thread. A host request goes out on the caller's thread. Operations
// reached from processReplacing must stay free of allocation and waiting.
//
// A null host callback is allowed: every host request is then skipped and
// answers its documented default.
#pragma once

#include "platform/vstrecords.h"

#include <atomic>

class AEffEditor;

class AudioEffect {
public:
    // Fills the record: magic, callbacks, the counts given, one input, two
    // outputs, effFlagsCanReplacing, ioRatio 1, unique ID 'NoEf', version 1.
    // Sends nothing to the host.
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    // Deletes the registered editor, if any; tells the host nothing.
    virtual ~AudioEffect();

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // Answers one host opcode (0 to 24; every other opcode answers 0). An
    // opcode that expects a text or record in ptr answers 0 and calls nothing
    // when ptr is null.
    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt);

    virtual void open();
    virtual void close();
    virtual void suspend();
    virtual void resume();

    virtual void setSampleRate(float sampleRate);
    virtual void setBlockSize(VstInt32 blockSize);

    // Audio thread: renders sampleFrames frames into outputs, replacing them.
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    // Audio thread: the double-precision form; does nothing by default.
    virtual void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames);

    // Any thread: sets or reads parameter index as a normalised 0..1 value.
    virtual void setParameter(VstInt32 index, float value);
    virtual float getParameter(VstInt32 index);
    // Any thread: setParameter through the virtual slot, then tells the host
    // (audioMasterAutomate) so it can record the change.
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual VstInt32 getProgram();
    // Stores program as the current one; the base applies no range test.
    virtual void setProgram(VstInt32 program);
    virtual void setProgramName(char* name);
    // Text results: the caller's buffer holds the host's limit plus one byte.
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(VstInt32 index, char* label);
    virtual void getParameterDisplay(VstInt32 index, char* text);
    virtual void getParameterName(VstInt32 index, char* text);

    virtual VstInt32 getChunk(void** data, bool isPreset = false);
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false);

    // Record setters: identity, pin counts, flags and latency the host reads.
    virtual void setUniqueID(VstInt32 iD);
    virtual void setNumInputs(VstInt32 inputs);
    virtual void setNumOutputs(VstInt32 outputs);
    virtual void canProcessReplacing(bool state = true);
    virtual void canDoubleReplacing(bool state = true);
    virtual void programsAreChunks(bool state = true);
    virtual void setInitialDelay(VstInt32 delay);

    virtual AEffEditor* getEditor();
    // The record the host holds; valid for the object's whole life.
    virtual AEffect* getAeffect();
    virtual float getSampleRate();
    virtual VstInt32 getBlockSize();

    // Host requests. Answers 1 when the host answers 0 or there is no host.
    virtual VstInt32 getMasterVersion();
    // The ID of the plug-in the host is currently loading; 0 without a host.
    virtual VstInt32 getCurrentUniqueId();
    // Gives the host a chance to run its own idle work.
    virtual void masterIdle();

    // Display texts written into text, which holds maxLen + 1 bytes; nothing
    // is written past text[maxLen]. Numbers too large give "Huge!".
    virtual void dB2string(float value, char* text, VstInt32 maxLen);
    virtual void Hz2string(float samples, char* text, VstInt32 maxLen);
    virtual void ms2string(float samples, char* text, VstInt32 maxLen);
    // Up to 8 characters, digits truncated, never rounded.
    virtual void float2string(float value, char* text, VstInt32 maxLen);
    virtual void int2string(VstInt32 value, char* text, VstInt32 maxLen);

    // Deprecated operations keep their slots for binary compatibility.
    virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames);
    virtual float getVu();
    virtual void hasVu(bool state = true);
    virtual void hasClip(bool state = true);
    virtual void canMono(bool state = true);
    virtual void setRealtimeQualities(VstInt32 qualities);
    virtual void setOfflineQualities(VstInt32 qualities);
    // True when the host says the pin is connected, or without a host.
    virtual bool isInputConnected(VstInt32 input);
    virtual bool isOutputConnected(VstInt32 output);

    // Registers editor (owned from now on) and sets or clears
    // effFlagsHasEditor. An editor registered earlier is neither deleted nor
    // told. GUI or construction thread.
    void setEditor(AEffEditor* editor);

protected:
    // Sets or clears one bit of the record's flags.
    void setFlag(VstInt32 flag, bool state);
    // One host request with the record as the effect; 0 without a host.
    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);

    audioMasterCallback audioMaster;
    AEffEditor* editor;
    float sampleRate;
    VstInt32 blockSize;
    VstInt32 numPrograms;
    VstInt32 numParams;
    // Written by whichever thread changes the program (the host's, the
    // editor's) and read by others (getProgram, the editor's previous and next
    // buttons). Relaxed: it is a lone index that guards no other data, and a
    // reader may see it just before or after a change that runs meanwhile.
    std::atomic<VstInt32> curProgram;
    AEffect cEffect;
};
