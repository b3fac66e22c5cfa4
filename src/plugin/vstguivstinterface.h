// The plug-in class a host gets: the instrument's VstInterface with its
// editor, which it keeps in step with every parameter and program change.
//
// Threads: as VstInterface. setParameter and setProgram pass the values on to
// the editor on the calling thread; the editor shows values that arrive off
// its GUI thread at its next idle.
#pragma once

#include "plugin/vstinterface.h"

class VSTGuiVSTInterface : public VstInterface {
public:
    // Builds the VstInterface part (which selects program 0 and loads its
    // pack), makes the instrument's images findable, and creates the editor,
    // which registers itself. Without memory for the editor the plug-in works
    // without one. Throws what VstInterface's constructor throws.
    VSTGuiVSTInterface(audioMasterCallback audioMaster, SynthEngine& engine, VstInt32 uniqueId);
    ~VSTGuiVSTInterface() override;

    // Sets the parameter as VstInterface does, then shows the value in the
    // editor (which ignores an index outside the parameters). Any thread.
    void setParameter(VstInt32 index, float value) override;
    // Changes program as VstInterface does, then shows the values of the
    // current program's parameters in the editor, also when the index was
    // refused. Host or editor thread.
    void setProgram(VstInt32 program) override;
};
