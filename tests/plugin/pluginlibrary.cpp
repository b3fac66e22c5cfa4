#include "pluginlibrary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <iostream>
#include <sstream>
#include <unistd.h>

TestHost& testHost() {
    static TestHost host;
    return host;
}

VstIntPtr testHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr value, void*, float) {
    TestHost& host = testHost();
    switch (opcode) {
    case audioMasterVersion:
        return host.versionAnswer;
    case audioMasterGetTime:
        ++host.timeRequests;
        host.lastTimeFilter = value;
        return reinterpret_cast<VstIntPtr>(host.timeInfo);
    case audioMasterWantMidi:
        ++host.wantMidiRequests;
        return 1;
    default:
        ++host.otherRequests;
        return 0;
    }
}

void* pluginLibrary() {
    static void* library = dlopen(AMBER_PLUGIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    return library;
}

PluginEntry pluginEntry(const char* name) {
    void* symbol = pluginLibrary() ? dlsym(pluginLibrary(), name) : nullptr;
    PluginEntry entry = nullptr;
    std::memcpy(&entry, &symbol, sizeof entry);
    return entry;
}

AEffect* openInstance() {
    PluginEntry entry = pluginEntry("VSTPluginMain");
    EXPECT_NE(entry, nullptr) << (dlerror() ? dlerror() : "no entry");
    if (!entry) {
        return nullptr;
    }
    AEffect* effect = entry(testHostCallback);
    EXPECT_NE(effect, nullptr);
    return effect;
}

VstIntPtr closeInstance(AEffect* effect) {
    return effect ? effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f) : 0;
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                   float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string textResult(AEffect* effect, VstInt32 opcode, VstInt32 index, VstInt32 limit,
                       bool& intact, VstIntPtr value, bool* padded) {
    const std::size_t size = static_cast<std::size_t>(limit) + 1;
    std::vector<char> buffer(size + 64, '#');
    if (!padded) {
        buffer[0] = '\0';
    }
    dispatch(effect, opcode, index, value, buffer.data());
    intact = true;
    for (std::size_t i = size; i < buffer.size(); ++i) {
        intact = intact && buffer[i] == '#';
    }
    const std::size_t length = strnlen(buffer.data(), size);
    if (padded) {
        *padded = length < size;
        for (std::size_t i = length; i < size; ++i) {
            *padded = *padded && buffer[i] == '\0';
        }
    }
    return std::string(buffer.data(), length);
}

CapturedStdout::CapturedStdout() {
    std::cout.flush();
    std::fflush(stdout);
    char path[] = "/tmp/amber-stdout-XXXXXX";
    m_file = mkstemp(path);
    if (m_file >= 0) {
        unlink(path);
        m_saved = dup(STDOUT_FILENO);
        dup2(m_file, STDOUT_FILENO);
    }
}

CapturedStdout::~CapturedStdout() {
    text();
}

std::string CapturedStdout::text() {
    if (m_done || m_file < 0) {
        return {};
    }
    m_done = true;
    std::cout.flush();
    std::fflush(stdout);
    dup2(m_saved, STDOUT_FILENO);
    close(m_saved);
    std::string result;
    lseek(m_file, 0, SEEK_SET);
    char chunk[4096];
    ssize_t n = 0;
    while ((n = read(m_file, chunk, sizeof chunk)) > 0) {
        result.append(chunk, static_cast<std::size_t>(n));
    }
    close(m_file);
    return result;
}

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}
