// Renders the instrument's editor off-screen into a PNG file, as a host shows
// it after a program was chosen in the window and the knob was turned:
//   editorshot [--out FILE.png] [--row ROW] [--value HOSTVALUE]
// With --measure it opens the editor in a real window on the display instead
// and reports how long the first complete drawing takes and how many frames
// per second the bottle animation shows when the editor is idled 30 times a
// second.
#include "engine/samplerengine.h"
#include "gui/cdatabrowser.h"
#include "gui/cframe.h"
#include "plugin/vstguivstinterface.h"
#include "vstguieditor/vstguieditor.h"

#include "editormeasure.h"
#include "outputfile.h"
#include "pngoutput.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace VSTGUI;

namespace {

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

void deleteEngine(SynthEngine* engine) {
    delete static_cast<SamplerEngine*>(engine);
}

int usage() {
    std::fprintf(stderr, "usage: editorshot [--out FILE.png] [--row ROW] [--value HOSTVALUE]\n"
                         "       editorshot --measure\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    OutputFile::handleSignals("editorshot");
    std::string out = "editor.png";
    int row = 40;
    float value = 0.7f;
    bool measure = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--out" && i + 1 < argc) {
            out = argv[++i];
        } else if (arg == "--row" && i + 1 < argc) {
            row = std::atoi(argv[++i]);
        } else if (arg == "--value" && i + 1 < argc) {
            value = static_cast<float>(std::atof(argv[++i]));
        } else if (arg == "--measure") {
            measure = true;
        } else {
            return usage();
        }
    }

    auto* engine = new SamplerEngine();
    auto* plugin = new VSTGuiVSTInterface(&host, *engine, 61547);
    plugin->ownEngine(deleteEngine);
    AEffect* effect = plugin->getAeffect();
    int status = 0;

    if (measure) {
        status = measureEditor(effect) ? 0 : 1;
    } else {
        // Off-screen: the frame never looks for the stand-in parent window.
        unsetenv("DISPLAY");
        void* const parent = reinterpret_cast<void*>(std::uintptr_t{1});
        effect->dispatcher(effect, effEditOpen, 0, 0, parent, 0.f);
        auto* editor = static_cast<VSTGuiEditor*>(plugin->getEditor());
        CFrame* frame = editor->getFrame();
        if (!frame) {
            std::fprintf(stderr, "editorshot: the editor has no window\n");
            status = 1;
        } else {
            std::uint64_t now = 0;
            frame->setTimeSource([&now] { return now; });
            editor->selectProgramRow(row);
            effect->setParameter(effect, 0, value);
            now += 1000;
            effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.f);
            std::string error;
            if (!writePngFile(frame->renderedImage(), out, error)) {
                std::fprintf(stderr, "editorshot: %s\n", error.c_str());
                status = 1;
            } else {
                std::fprintf(stderr, "editorshot: wrote %s\n", out.c_str());
            }
        }
        effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.f);
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.f);
    return status;
}
