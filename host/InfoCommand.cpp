// tarvenna-host info: what a host sees of one instance of a module.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <string>

#include "host/Commands.h"
#include "host/Host.h"
#include "host/Module.h"
#include "plugin/VstOpcodes.h"

namespace tarvenna::host::cli {

namespace {

// Capabilities a MIDI plug-in is commonly asked about, plus one that no
// MIDI relay should claim.
const char* const kCanDoTexts[] = {"sendVstEvents",       "sendVstMidiEvent",   "receiveVstEvents",
                                   "receiveVstMidiEvent", "receiveVstTimeInfo", "bypass"};

// Listing stops here even if the record claims more parameters.
constexpr VstInt32 kMaxListedParameters = 128;

std::string hex(VstInt32 value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(value));
    return text;
}

// Four characters, the first in the most significant byte.
std::string fourChars(VstInt32 value)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const int c = (static_cast<unsigned>(value) >> shift) & 0xff;
        text += std::isprint(c) ? static_cast<char>(c) : '.';
    }
    return text;
}

std::string flagNames(VstInt32 flags)
{
    static const struct {
        VstInt32 bit;
        const char* name;
    } kNames[] = {{effFlagsHasEditor, "editor"},
                  {effFlagsHasClip, "clip"},
                  {effFlagsHasVu, "vu"},
                  {effFlagsCanMono, "can-mono"},
                  {effFlagsCanReplacing, "replacing"},
                  {effFlagsProgramChunks, "chunks"},
                  {effFlagsIsSynth, "synth"},
                  {effFlagsNoSoundInStop, "no-tail"},
                  {effFlagsExtIsAsync, "async"},
                  {effFlagsExtHasBuffer, "ext-buffer"}};
    std::string names;
    for (const auto& flag : kNames) {
        if (!(flags & flag.bit))
            continue;
        if (!names.empty())
            names += ' ';
        names += flag.name;
    }
    return names;
}

void describeRecord(const Module& module, const AEffect& e, std::ostream& out)
{
    out << "module: " << module.path() << '\n'
        << "entry: " << module.entryName() << '\n'
        << "magic: " << fourChars(e.magic) << " (" << hex(e.magic) << ")\n"
        << "unique ID: " << fourChars(e.uniqueID) << " (" << hex(e.uniqueID) << ")\n"
        << "programs: " << e.numPrograms << '\n'
        << "parameters: " << e.numParams << '\n'
        << "inputs: " << e.numInputs << '\n'
        << "outputs: " << e.numOutputs << '\n'
        << "flags: " << hex(e.flags) << " (" << flagNames(e.flags) << ")\n"
        << "version: " << e.version << '\n';
}

void describeAnswers(HostInstance& instance, std::ostream& out)
{
    out << "effect name: " << instance.effectName() << '\n'
        << "vendor: " << instance.vendorString() << '\n'
        << "product: " << instance.productString() << '\n'
        << "vendor version: " << instance.vendorVersion() << '\n';
    for (const char* text : kCanDoTexts)
        out << "canDo " << text << ": " << instance.canDo(text) << '\n';
    out << "category: " << instance.plugCategory() << '\n'
        << "VST version: " << instance.vstVersion() << '\n'
        << "program: " << instance.program() << " \"" << instance.programName() << "\"\n";
}

void describeParameters(HostInstance& instance, std::ostream& out)
{
    const VstInt32 count = std::min(instance.effect()->numParams, kMaxListedParameters);
    for (VstInt32 i = 0; i < count; ++i) {
        out << "parameter " << i << ": " << instance.parameterName(i) << " = "
            << instance.parameterDisplay(i);
        const std::string label = instance.parameterLabel(i);
        if (!label.empty())
            out << ' ' << label;
        out << '\n';
    }
}

}  // namespace

int runInfo(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    if (line.arguments.size() != 1) {
        err << "usage: tarvenna-host info <module.so>\n";
        return kExitUsage;
    }
    Module module;
    if (!module.load(line.arguments[0])) {
        err << "tarvenna-host: " << module.error() << '\n';
        return kExitFailed;
    }
    Host host(line.host);
    std::unique_ptr<HostInstance> instance = host.instantiate(module);
    if (!instance) {
        err << "tarvenna-host: " << host.lastError() << " (" << module.path() << ")\n";
        return kExitFailed;
    }
    instance->open();
    describeRecord(module, *instance->effect(), out);
    describeAnswers(*instance, out);
    describeParameters(*instance, out);
    instance->close();
    instance.reset();
    if (!module.unload()) {
        err << "tarvenna-host: " << module.error() << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace tarvenna::host::cli
