// The VST 2.4 face of one SynthEngine: answers the host's program,
// parameter, naming, pin, MIDI and audio requests from the engine it holds.
// Holds no sound logic and no state of its own beyond the engine.
//
// Threads: processReplacing and processEvents run on the host's audio thread
// (no allocation, no waiting beyond the engine's own); the program, parameter
// and text operations run on the host's other threads or the editor's. Its
// one lock keeps program changes apart; the audio thread never takes it.
#pragma once

#include <mutex>

#include "plugin/audioeffectx.h"

class SynthEngine;
class SynthParameter;

class VstInterface : public AudioEffectX {
public:
    // Built with the engine's program count and the first program's parameter
    // count; selects program 0 (which loads its sample pack on this thread).
    // With a host callback, also sets the engine's pin counts, the synthesizer
    // and replacing flags and uniqueId. The engine must hold at least one
    // program and outlive this object unless handed over with ownEngine.
    // Throws what the engine's program change throws (std::bad_alloc).
    VstInterface(audioMasterCallback audioMaster, SynthEngine& engine, VstInt32 uniqueId);
    // Deletes the editor, then the engine when it was handed over.
    ~VstInterface() override;

    void setSampleRate(float sampleRate) override;
    void setBlockSize(VstInt32 blockSize) override;
    // Audio thread: takes the host's tempo when its time information carries
    // one, then renders the whole block through the engine. A block of 0 or
    // fewer frames, or missing output channels, renders nothing and touches
    // nothing.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    // Any thread: maps the host's value into parameter index of the current
    // program; an index outside the parameters or a NaN value does nothing.
    void setParameter(VstInt32 index, float value) override;
    // Any thread: parameter index of the current program as a host value;
    // 0 for an index outside the parameters.
    float getParameter(VstInt32 index) override;
    // Host or editor thread: selects program (stops the voices and loads its
    // sample pack before returning); an index outside the list does nothing.
    void setProgram(VstInt32 program) override;
    // Renames the current program to the first 24 characters of name.
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    // "Vstx <n>" for output n - 1; false for an index that names no output
    // (negative or past the engine's outputs), the record then untouched.
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    VstInt32 getNumMidiInputChannels() override;
    VstInt32 getNumMidiOutputChannels() override;
    // Audio thread: hands every MIDI event to the engine, channel bits
    // cleared and data bytes masked to 7 bits; other events and null entries
    // are skipped. Answers 1.
    VstInt32 processEvents(VstEvents* events) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    // 1 for "receiveVstEvents" and "receiveVstMidiEvent", -1 for anything else.
    VstInt32 canDo(char* text) override;

    using AudioEffectX::copyProgram;
    // Not supported: prints a line and answers false. Nothing calls it.
    virtual bool copyProgram();

    // Hands the engine to this object: it is destroyed with deleter after
    // the editor when the object is destroyed. Construction thread.
    void ownEngine(void (*deleter)(SynthEngine*));

    SynthEngine* m_pSynthEngine; // set once; not owned unless ownEngine was called

private:
    // Held across a program change and the store of curProgram, so that two
    // changes on two threads leave the host's current program the engine's.
    std::mutex m_programChangeMutex;

    VstInt32 programCount() const;
    VstInt32 parameterCount() const;
    // Parameter index of the current program, or null outside the range.
    SynthParameter* currentParameter(VstInt32 index) const;

    void (*m_engineDeleter)(SynthEngine*) = nullptr;
};
