#include "fuzz/FuzzNodes.h"

#include "fuzz/RelayAudit.h"
#include "module/EntryPoint.h"
#include "plugin/VstOpcodes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace fuzz {

HostInstance* MakeNode(MidiOutputCheck& check)
{
    static tarvenna::host::Host host;
    std::unique_ptr<HostInstance> node = host.Instantiate(CreateInstance, check.Options());
    if (!node)
        Fail("the entry point made no node:", host.LastError().c_str());
    node->Resume();
    return node.release();
}

// Also on standard output: the runs close standard error to keep the
// newer-version texts out (the sanitizers' reports have their own way out).
void Fail(const char* what, const char* detail)
{
    std::fprintf(stdout, "fuzz check failed: %s %s\n", what, detail);
    std::fflush(stdout);
    std::fprintf(stderr, "fuzz check failed: %s %s\n", what, detail);
    std::fflush(stderr);
    std::abort();
}

void CheckNode(HostInstance& node)
{
    void* data = nullptr;
    const VstIntPtr size = node.Dispatch(effGetChunk, 0, 0, &data);
    if (size != 61 || data == nullptr)
        Fail("getChunk did not give the 61-byte bank");
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (bytes[48] > 1)
        Fail("saved mode out of range");
    if (bytes[49] > 7)
        Fail("saved port out of range");
    if (std::memchr(bytes, 0, 48) == nullptr)
        Fail("saved name has no terminator");
    for (VstInt32 index = 0; index < 4; ++index) {
        const float value = node.GetParameter(index);
        if (!(value >= 0.0f && value <= 1.0f))
            Fail("a parameter reads outside 0 to 1");
    }
}

void CheckTables()
{
    const std::string wrong = relayaudit::AuditTables();
    if (!wrong.empty())
        Fail("tables:", wrong.c_str());
}

}  // namespace fuzz
