#include "plugin/vstguivstinterface.h"

#include "engine/synthengine.h"
#include "resources/instrumentimages.h"
#include "vstguieditor/vstguieditor.h"

#include <new>

VSTGuiVSTInterface::VSTGuiVSTInterface(audioMasterCallback audioMaster, SynthEngine& engine,
                                       VstInt32 uniqueId)
    : VstInterface(audioMaster, engine, uniqueId) {
    amber::registerInstrumentImages();
    // The editor registers itself through setEditor while it is built; storing
    // the outcome again also clears a registration that a failed construction
    // left behind, so the plug-in then works without editor.
    AEffEditor* newEditor = nullptr;
    try {
        newEditor = new VSTGuiEditor(this);
    } catch (const std::bad_alloc&) {
        newEditor = nullptr;
    }
    setEditor(newEditor);
}

VSTGuiVSTInterface::~VSTGuiVSTInterface() = default;

void VSTGuiVSTInterface::setParameter(VstInt32 index, float value) {
    VstInterface::setParameter(index, value);
    if (editor) {
        static_cast<AEffGUIEditor*>(editor)->setParameter(index, value);
    }
}

void VSTGuiVSTInterface::setProgram(VstInt32 program) {
    VstInterface::setProgram(program);
    if (!editor) {
        return;
    }
    for (VstInt32 i = 0;; ++i) {
        const auto& programs = m_pSynthEngine->m_programs;
        if (programs.empty() || i >= static_cast<VstInt32>(programs[0].getParameters().size())) {
            break;
        }
        static_cast<AEffGUIEditor*>(editor)->setParameter(i, getParameter(i));
    }
}
