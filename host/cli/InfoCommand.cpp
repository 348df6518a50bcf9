// tarvenna-host info: what a host sees of one instance of a module.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <string>

#include "host/cli/Commands.h"
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

std::string Hex(VstInt32 value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(value));
    return text;
}

// Four characters, the first in the most significant byte.
std::string FourChars(VstInt32 value)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const int c = (static_cast<unsigned>(value) >> shift) & 0xff;
        text += std::isprint(c) ? static_cast<char>(c) : '.';
    }
    return text;
}

std::string FlagNames(VstInt32 flags)
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

void DescribeRecord(const Module& module, const AEffect& e, std::ostream& out)
{
    out << "module: " << module.Path() << '\n'
        << "entry: " << module.EntryName() << '\n'
        << "magic: " << FourChars(e.magic) << " (" << Hex(e.magic) << ")\n"
        << "unique ID: " << FourChars(e.uniqueID) << " (" << Hex(e.uniqueID) << ")\n"
        << "programs: " << e.numPrograms << '\n'
        << "parameters: " << e.numParams << '\n'
        << "inputs: " << e.numInputs << '\n'
        << "outputs: " << e.numOutputs << '\n'
        << "flags: " << Hex(e.flags) << " (" << FlagNames(e.flags) << ")\n"
        << "version: " << e.version << '\n';
}

void DescribeAnswers(HostInstance& instance, std::ostream& out)
{
    out << "effect name: " << instance.EffectName() << '\n'
        << "vendor: " << instance.VendorString() << '\n'
        << "product: " << instance.ProductString() << '\n'
        << "vendor version: " << instance.VendorVersion() << '\n';
    for (const char* text : kCanDoTexts)
        out << "canDo " << text << ": " << instance.CanDo(text) << '\n';
    out << "category: " << instance.PlugCategory() << '\n'
        << "VST version: " << instance.VstVersion() << '\n'
        << "program: " << instance.Program() << " \"" << instance.ProgramName() << "\"\n";
}

void DescribeParameters(HostInstance& instance, std::ostream& out)
{
    const VstInt32 count = std::min(instance.Effect()->numParams, kMaxListedParameters);
    for (VstInt32 i = 0; i < count; ++i) {
        out << "parameter " << i << ": " << instance.ParameterName(i) << " = "
            << instance.ParameterDisplay(i);
        const std::string label = instance.ParameterLabel(i);
        if (!label.empty())
            out << ' ' << label;
        out << '\n';
    }
}

}  // namespace

int RunInfo(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    if (line.arguments.size() != 1) {
        err << "usage: tarvenna-host info <module.so>\n";
        return kExitUsage;
    }
    Module module;
    if (!module.Load(line.arguments[0])) {
        err << "tarvenna-host: " << module.Error() << '\n';
        return kExitFailed;
    }
    Host host(line.host);
    std::unique_ptr<HostInstance> instance = host.Instantiate(module);
    if (!instance) {
        err << "tarvenna-host: " << host.LastError() << " (" << module.Path() << ")\n";
        return kExitFailed;
    }
    instance->Open();
    DescribeRecord(module, *instance->Effect(), out);
    DescribeAnswers(*instance, out);
    DescribeParameters(*instance, out);
    instance->Close();
    instance.reset();
    if (!module.Unload()) {
        err << "tarvenna-host: " << module.Error() << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace tarvenna::host::cli
