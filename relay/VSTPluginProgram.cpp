#include "relay/VSTPluginProgram.h"

#include "plugin/UserMessage.h"
#include "plugin/SPlugin.h"
#include "relay/RelayLimits.h"

#include <cstring>

namespace {

// The vendor version the host sees, in hundredths: 104 is shown as 1.04.
constexpr int kThisVersion = kPluginVendorVersion;

void ShowNewerVersionMessage(const char* what)
{
    kvor::data::datastring<32, char> text;
    ComposeNewerVersionMessage(text, what);
    ShowUserMessage(text.data);
}

}  // namespace

void ComposeNewerVersionMessage(kvor::data::datastring<32, char>& text, const char* what)
{
    text.Append("Failed to load ");
    text.Append(what);
    text.Append("\n(Reason: ");
    text.Append("Saved with newer version");
    text.Append("\nThis version = ");
    text.Append(16, "%.2f", kThisVersion * 0.01f);
    text.Append("\nSome settings will be lost !)");
}

void VSTPluginProgram::Reset()
{
    std::memset(this, 0, sizeof *this);
    std::strcpy(name, "(default)");
}

void VSTPluginProgram::SetName(const char* text)
{
    std::strncpy(name, text, kNameSize - 1);
    name[kNameSize - 1] = 0;
}

void VSTPluginProgram::Load(const void* bytes)
{
    VSTPluginProgram loaded;
    std::memcpy(&loaded, bytes, sizeof loaded);
    if (std::memchr(loaded.name, 0, kNameSize) == nullptr)
        loaded.name[kNameSize - 1] = 0;
    // The registry and the panel index their tables by these two.
    if (!IsValidMode(loaded.mode))
        loaded.mode = mode;
    if (!IsValidPort(loaded.port))
        loaded.port = port;
    *this = loaded;
}

VSTPluginProgramBank::VSTPluginProgramBank() : extra(0)
{
    for (VSTPluginProgram& program : programs)
        program.Reset();
}

int VSTPluginProgramBank::readBank(void* data, long size)
{
    if (data == nullptr || size < kProgramChunkSize)
        return 0;
    programs[0].Load(data);
    if (size > kBankChunkSize)
        ShowNewerVersionMessage("bank");
    return 1;
}

int VSTPluginProgramBank::readProgram(void* data, long size, int program)
{
    if (data == nullptr || size < kProgramChunkSize)
        return 0;
    if (program < 0 || program >= kProgramCount)
        return 0;
    programs[program].Load(data);
    if (size > kProgramChunkSize)
        ShowNewerVersionMessage("program");
    return 1;
}
