// The minimal VST 2.4 host: lists what a plug-in offers, or renders a
// Standard MIDI File or the built-in demo phrase through it into a WAV file.
#include "editorwindow.h"
#include "renderer.h"
#include "vstplugin.h"

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The host's own report; with --quiet the plug-in's standard output goes to
// /dev/null while the report still reaches the terminal.
FILE* g_report = stdout;

void usage() {
    std::fprintf(stderr,
                 "usage:\n"
                 "  vsthost info PLUGIN.so\n"
                 "  vsthost render PLUGIN.so (--demo | --midi FILE.mid) --out FILE.wav\n"
                 "          [--block FRAMES] [--program INDEX] [--rate HZ] [--tail SECONDS]\n"
                 "          [--quiet]\n"
                 "  vsthost editor PLUGIN.so [--program INDEX] [--seconds SECONDS] [--quiet]\n");
}

std::string fourCharacters(VstInt32 id) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<std::uint32_t>(id) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '.';
    }
    return text;
}

std::string flagNames(VstInt32 flags) {
    static const struct {
        VstInt32 bit;
        const char* name;
    } names[] = {{effFlagsHasEditor, "HasEditor"},
                 {effFlagsHasClip, "HasClip"},
                 {effFlagsHasVu, "HasVu"},
                 {effFlagsCanMono, "CanMono"},
                 {effFlagsCanReplacing, "CanReplacing"},
                 {effFlagsProgramChunks, "ProgramChunks"},
                 {effFlagsIsSynth, "IsSynth"},
                 {effFlagsNoSoundInStop, "NoSoundInStop"},
                 {effFlagsExtIsAsync, "ExtIsAsync"},
                 {effFlagsExtHasBuffer, "ExtHasBuffer"},
                 {effFlagsCanDoubleReplacing, "CanDoubleReplacing"}};
    std::string text;
    for (const auto& n : names) {
        if (flags & n.bit) {
            text += (text.empty() ? "" : " ") + std::string(n.name);
        }
    }
    return text;
}

int info(const VstPlugin& plugin) {
    const AEffect* e = plugin.effect();
    FILE* out = g_report;
    std::fprintf(out, "entry:        %s\n", plugin.entryName().c_str());
    std::fprintf(out, "effect name:  %s\n", plugin.text(effGetEffectName).c_str());
    std::fprintf(out, "vendor:       %s\n", plugin.text(effGetVendorString).c_str());
    std::fprintf(out, "product:      %s\n", plugin.text(effGetProductString).c_str());
    std::fprintf(out, "vendor ver.:  %ld\n",
                 static_cast<long>(plugin.dispatch(effGetVendorVersion)));
    std::fprintf(out, "unique ID:    %d ('%s')\n", e->uniqueID,
                 fourCharacters(e->uniqueID).c_str());
    std::fprintf(out, "VST version:  %ld\n", static_cast<long>(plugin.dispatch(effGetVstVersion)));
    std::fprintf(out, "category:     %ld\n",
                 static_cast<long>(plugin.dispatch(effGetPlugCategory)));
    std::fprintf(out, "flags:        0x%x (%s)\n", static_cast<unsigned>(e->flags),
                 flagNames(e->flags).c_str());
    std::fprintf(out, "inputs:       %d\n", e->numInputs);
    std::fprintf(out, "outputs:      %d\n", e->numOutputs);
    for (VstInt32 i = 0; i < e->numOutputs; ++i) {
        VstPinProperties pin{};
        if (plugin.dispatch(effGetOutputProperties, i, 0, &pin)) {
            pin.label[sizeof pin.label - 1] = '\0';
            std::fprintf(out, "  output %d:   \"%s\" flags 0x%x\n", i, pin.label,
                         static_cast<unsigned>(pin.flags));
        } else {
            std::fprintf(out, "  output %d:   (no properties)\n", i);
        }
    }
    std::fprintf(out, "MIDI in/out:  %ld/%ld channels\n",
                 static_cast<long>(plugin.dispatch(effGetNumMidiInputChannels)),
                 static_cast<long>(plugin.dispatch(effGetNumMidiOutputChannels)));
    std::fprintf(out, "programs:     %d\n", e->numPrograms);
    for (VstInt32 i = 0; i < e->numPrograms; ++i) {
        std::vector<char> name(1024, '\0');
        if (plugin.dispatch(effGetProgramNameIndexed, i, 0, name.data())) {
            std::fprintf(out, "  %3d  %s\n", i, name.data());
        } else {
            std::fprintf(out, "  %3d  (no name given)\n", i);
        }
    }
    std::fprintf(out, "current program: %ld \"%s\"\n",
                 static_cast<long>(plugin.dispatch(effGetProgram)),
                 plugin.text(effGetProgramName).c_str());
    std::fprintf(out, "parameters:   %d\n", e->numParams);
    for (VstInt32 i = 0; i < e->numParams; ++i) {
        AEffect* mutableEffect = plugin.effect();
        std::fprintf(
            out, "  %3d  name \"%s\" label \"%s\" display \"%s\" value %g automatable %ld\n", i,
            plugin.text(effGetParamName, i).c_str(), plugin.text(effGetParamLabel, i).c_str(),
            plugin.text(effGetParamDisplay, i).c_str(),
            static_cast<double>(mutableEffect->getParameter(mutableEffect, i)),
            static_cast<long>(plugin.dispatch(effCanBeAutomated, i)));
    }
    static const char* const capabilities[] = {"receiveVstEvents",   "receiveVstMidiEvent",
                                               "receiveVstTimeInfo", "sendVstEvents",
                                               "sendVstMidiEvent",   "offline",
                                               "midiProgramNames",   "bypass"};
    std::fprintf(out, "canDo:\n");
    for (const char* capability : capabilities) {
        char text[64];
        std::snprintf(text, sizeof text, "%s", capability);
        std::fprintf(out, "  %-20s %ld\n", capability,
                     static_cast<long>(plugin.dispatch(effCanDo, 0, 0, text)));
    }
    return 0;
}

bool parseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

int run(int argc, char** argv) {
    if (argc < 3) {
        usage();
        return 2;
    }
    const std::string command = argv[1];
    const std::string pluginPath = argv[2];
    RenderOptions options;
    std::string midiPath;
    std::string outPath;
    bool demo = false;
    bool quiet = false;
    double editorSeconds = 0;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        double number = 0;
        if (arg == "--demo") {
            demo = true;
        } else if (arg == "--quiet") {
            quiet = true;
        } else if (arg == "--midi" && hasValue) {
            midiPath = argv[++i];
        } else if (arg == "--out" && hasValue) {
            outPath = argv[++i];
        } else if (arg == "--block" && hasValue && parseNumber(argv[++i], number) && number >= 1 &&
                   number <= 1 << 20) {
            options.blockSize = static_cast<VstInt32>(number);
        } else if (arg == "--program" && hasValue && parseNumber(argv[++i], number) &&
                   number >= -1 && number <= 1 << 30) {
            options.program = static_cast<int>(number);
        } else if (arg == "--rate" && hasValue && parseNumber(argv[++i], number) &&
                   number >= 1000 && number <= 768000) {
            options.sampleRate = number;
        } else if (arg == "--tail" && hasValue && parseNumber(argv[++i], number) && number >= 0 &&
                   number <= 600) {
            options.tailSeconds = number;
        } else if (arg == "--seconds" && hasValue && parseNumber(argv[++i], number) &&
                   number >= 0) {
            editorSeconds = number;
        } else {
            std::fprintf(stderr, "vsthost: unknown or invalid option %s\n", arg.c_str());
            usage();
            return 2;
        }
    }
    if (command != "info" && command != "render" && command != "editor") {
        usage();
        return 2;
    }
    if (command == "render" && (outPath.empty() || demo == !midiPath.empty())) {
        std::fprintf(stderr, "vsthost: render needs --out and one of --demo or --midi\n");
        return 2;
    }

    if (quiet) {
        const int reportFd = dup(STDOUT_FILENO);
        const int devNull = open("/dev/null", O_WRONLY);
        if (reportFd >= 0 && devNull >= 0) {
            std::fflush(stdout);
            dup2(devNull, STDOUT_FILENO);
            close(devNull);
            g_report = fdopen(reportFd, "w");
        }
        if (!g_report) {
            g_report = stderr;
        }
    }

    Performance performance;
    std::string error;
    if (command == "render") {
        if (demo) {
            performance = demoPhrase();
        } else if (!readMidiFile(midiPath, performance, error)) {
            std::fprintf(stderr, "vsthost: %s\n", error.c_str());
            return 1;
        }
        if (!checkRenderLength(performance, options, error)) {
            std::fprintf(stderr, "vsthost: %s\n", error.c_str());
            return 1;
        }
    }

    VstPlugin plugin(pluginPath);
    if (!plugin.isLoaded()) {
        std::fprintf(stderr, "vsthost: %s\n", plugin.error().c_str());
        return 1;
    }
    if (command == "info") {
        const int status = info(plugin);
        std::fflush(g_report);
        return status;
    }
    if (command == "editor") {
        if (options.program >= 0 && options.program < plugin.effect()->numPrograms) {
            plugin.dispatch(effSetProgram, 0, options.program);
        }
        return runEditorWindow(plugin, editorSeconds, g_report);
    }

    // The file is opened before the render, so that a path that cannot be
    // written fails at once rather than after the whole performance.
    WaveWriter writer;
    if (!writer.open(outPath, plugin.effect()->numOutputs, options.sampleRate, error)) {
        std::fprintf(stderr, "vsthost: %s\n", error.c_str());
        return 1;
    }
    const RenderResult result =
        renderPerformance(plugin, performance, options, [&](const float* block, std::int64_t n) {
            return writer.write(block, n, error);
        });
    if (!result.complete || !writer.close(error)) {
        std::fprintf(stderr, "vsthost: %s\n", error.c_str());
        return 1;
    }
    const HostState& host = hostState();
    FILE* out = g_report;
    for (std::size_t i = 0; i < result.parts.size(); ++i) {
        std::fprintf(out, "part %zu: %s\n", i + 1, result.parts[i].c_str());
    }
    std::fprintf(out, "wrote %s\n", outPath.c_str());
    std::fprintf(out,
                 "duration: %.3f s (%lld frames, %d channels, %.0f Hz, %d blocks of up to %d)\n",
                 result.seconds(), static_cast<long long>(result.frames), result.channels,
                 options.sampleRate, result.blocks, options.blockSize);
    std::fprintf(out, "peak: %.6f (%.2f dBFS)\n", result.peak,
                 result.peak > 0 ? 20.0 * std::log10(result.peak) : -999.0);
    std::fprintf(out, "rms: %.6f (%.2f dBFS)\n", result.rms,
                 result.rms > 0 ? 20.0 * std::log10(result.rms) : -999.0);
    std::fprintf(out, "non-finite samples: %lld\n", static_cast<long long>(result.nonFinite));
    std::fprintf(out, "host requests: time %d, want MIDI %d, automate %d, display updates %d\n",
                 host.timeRequestCount, host.wantMidiCount, host.automateCount,
                 host.updateDisplayCount);
    std::fflush(out);
    return result.nonFinite == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // Past a file-size limit (ulimit -f) a write then fails with "File too
    // large" and the render ends with that error, where the signal would kill
    // the host and leave a cut-short file.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vsthost: stopped: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vsthost: stopped: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "vsthost: stopped by an unknown exception\n");
    }
    return 1;
}
