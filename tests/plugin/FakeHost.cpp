#include "FakeHost.h"

#include "plugin/VstOpcodes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

FakeHost host;

void CopyText(void* destination, const std::string& text)
{
    if (destination != nullptr)
        std::strcpy(static_cast<char*>(destination), text.c_str());
}

}  // namespace

FakeHost& FakeHost::Reset()
{
    host = FakeHost();
    return host;
}

FakeHost& FakeHost::Current() { return host; }

int FakeHost::Count(VstInt32 opcode) const
{
    int count = 0;
    for (const HostRequest& request : requests)
        count += request.opcode == opcode ? 1 : 0;
    return count;
}

HostRequest FakeHost::Last(VstInt32 opcode) const
{
    for (auto it = requests.rbegin(); it != requests.rend(); ++it)
        if (it->opcode == opcode)
            return *it;
    ADD_FAILURE() << "the host never got opcode " << opcode;
    return HostRequest{-1, 0, 0, {}};
}

VstIntPtr FakeHost::Callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float)
{
    HostRequest request{opcode, index, value, {}};
    if (opcode == audioMasterCanDo && ptr != nullptr)
        request.text = static_cast<const char*>(ptr);
    host.requests.push_back(request);

    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterGetVendorString:
        CopyText(ptr, host.vendor);
        return 1;
    case audioMasterGetProductString:
        CopyText(ptr, host.product);
        return 1;
    case audioMasterGetVendorVersion:
        return host.vendorVersion;
    case audioMasterCanDo:
        return request.text == "sizeWindow" ? host.sizeWindowAnswer : 0;
    case audioMasterGetDirectory:
        return reinterpret_cast<VstIntPtr>(host.directory);
    case audioMasterSizeWindow:
        return 1;
    default:
        return 0;
    }
}
