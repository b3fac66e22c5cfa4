// The minimal VST 2.4 host: lists what a plug-in offers, or renders a
// Standard MIDI File or the built-in demo phrase through it into a WAV file.
#include "editorwindow.h"
#include "outputfile.h"
#include "renderer.h"
#include "vstplugin.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The host's own report; with --quiet the plug-in's standard output goes to
// /dev/null while the report still reaches the terminal, and when the audio
// goes to standard output the report goes to standard error.
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

// Whether path leads to what descriptor fd is open on: /dev/stdout, a link
// to it, or the file or device itself.
bool isOpenOn(const std::string& path, int fd) {
    struct stat named {};
    struct stat open {};
    return ::stat(path.c_str(), &named) == 0 && fstat(fd, &open) == 0 &&
           named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

// Flushes and closes the report, which a full disk or a closed pipe must not
// let pass for written; false with a line on standard error.
bool finishReport() {
    errno = 0;
    const bool flushed = std::fflush(g_report) == 0 && !std::ferror(g_report);
    int reason = errno;
    bool closed = true;
    if (g_report != stderr) {
        // A file system may report a failed write only when it is closed. A
        // descriptor closed before (>&-) with nothing written is no fault.
        errno = 0;
        closed = std::fclose(g_report) == 0 || (flushed && errno == EBADF);
        reason = flushed ? errno : reason;
        g_report = stderr;
    }
    if (flushed && closed) {
        return true;
    }
    std::fprintf(stderr, "vsthost: cannot write the report: %s\n",
                 reason != 0 ? std::strerror(reason) : "a write failed");
    return false;
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

    // With --quiet the plug-in's own lines go to /dev/null, and when the
    // audio goes to standard output they must not land in it either (nor the
    // report): descriptor 1 then moves aside, and the host keeps what it was
    // open on as a descriptor of its own.
    const bool audioToStdout = command == "render" && isOpenOn(outPath, STDOUT_FILENO);
    std::string openPath = outPath;
    if (quiet || audioToStdout) {
        std::fflush(stdout);
        const int saved = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
        const int aside = quiet ? open("/dev/null", O_WRONLY | O_CLOEXEC)
                                : fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
        if (saved < 0 || aside < 0 || dup2(aside, STDOUT_FILENO) < 0) {
            std::fprintf(stderr, "vsthost: cannot set standard output aside: %s\n",
                         std::strerror(errno));
            return 1;
        }
        close(aside);
        if (audioToStdout) {
            openPath = "/dev/fd/" + std::to_string(saved);
            g_report = stderr;
        } else {
            g_report = fdopen(saved, "w");
            g_report = g_report ? g_report : stderr;
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
        return info(plugin);
    }
    if (command == "editor") {
        if (options.program >= 0 && options.program < plugin.effect()->numPrograms) {
            plugin.dispatch(effSetProgram, 0, options.program);
        }
        return runEditorWindow(plugin, editorSeconds, g_report);
    }

    // The file is opened before the render, so that a path that cannot be
    // written fails at once rather than after the whole performance.
    // Messages name the output as the user did, not the descriptor that
    // stands for standard output.
    auto fail = [&] {
        for (std::size_t at;
             openPath != outPath && (at = error.find(openPath)) != std::string::npos;)
            error.replace(at, openPath.size(), outPath);
        std::fprintf(stderr, "vsthost: %s\n", error.c_str());
        return 1;
    };
    WaveWriter writer;
    if (!writer.open(openPath, plugin.effect()->numOutputs, options.sampleRate, error)) {
        return fail();
    }
    const RenderResult result =
        renderPerformance(plugin, performance, options, [&](const float* block, std::int64_t n) {
            return writer.write(block, n, error);
        });
    if (!result.complete || !writer.close(error)) {
        return fail();
    }
    const HostState& host = hostState();
    FILE* out = g_report;
    for (std::size_t i = 0; i < result.parts.size(); ++i) {
        std::fprintf(out, "part %zu: %s\n", i + 1, result.parts[i].c_str());
    }
    std::fprintf(out, "wrote %s\n", outPath.c_str());
    std::fprintf(out,
                 "duration: %.3f s (%lld frames, %d channels, %.0f Hz, %lld blocks of up to %d)\n",
                 result.seconds(), static_cast<long long>(result.frames), result.channels,
                 options.sampleRate, static_cast<long long>(result.blocks), options.blockSize);
    std::fprintf(out, "peak: %.6f (%.2f dBFS)\n", result.peak,
                 result.peak > 0 ? 20.0 * std::log10(result.peak) : -999.0);
    std::fprintf(out, "rms: %.6f (%.2f dBFS)\n", result.rms,
                 result.rms > 0 ? 20.0 * std::log10(result.rms) : -999.0);
    std::fprintf(out, "non-finite samples: %lld\n", static_cast<long long>(result.nonFinite));
    std::fprintf(
        out, "host requests: time %lld, want MIDI %lld, automate %lld, display updates %lld\n",
        static_cast<long long>(host.timeRequestCount), static_cast<long long>(host.wantMidiCount),
        static_cast<long long>(host.automateCount),
        static_cast<long long>(host.updateDisplayCount));
    return result.nonFinite == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // A file-size limit (ulimit -f) then fails a write with its reason, and
    // an interrupted render leaves what was at its output as it was.
    OutputFile::handleSignals("vsthost");
    try {
        // The report is finished after the plug-in is gone, which may still
        // print while it closes.
        const int status = run(argc, argv);
        return finishReport() ? status : std::max(status, 1);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vsthost: stopped: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vsthost: stopped: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "vsthost: stopped by an unknown exception\n");
    }
    return 1;
}
