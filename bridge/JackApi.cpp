#include "bridge/JackApi.h"

#include <dlfcn.h>

bool JackApi::Find(void** function, const char* name, std::string& why)
{
    *function = dlsym(library, name);
    if (*function == nullptr)
        why = std::string("libjack.so.0 has no ") + name;
    return *function != nullptr;
}

bool JackApi::Load(std::string& why)
{
    if (library != nullptr)
        return true;
    // RTLD_LOCAL: nothing else in the host sees JACK's names through us.
    library = dlopen("libjack.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* error = dlerror();
        why = std::string("libjack.so.0 cannot be loaded (") + (error ? error : "not found") + ")";
        return false;
    }
    struct Entry {
        void** function;
        const char* name;
    };
    const Entry entries[] = {
        {reinterpret_cast<void**>(&clientOpen), "jack_client_open"},
        {reinterpret_cast<void**>(&clientClose), "jack_client_close"},
        {reinterpret_cast<void**>(&clientName), "jack_get_client_name"},
        {reinterpret_cast<void**>(&activate), "jack_activate"},
        {reinterpret_cast<void**>(&deactivate), "jack_deactivate"},
        {reinterpret_cast<void**>(&setProcessCallback), "jack_set_process_callback"},
        {reinterpret_cast<void**>(&onShutdown), "jack_on_shutdown"},
        {reinterpret_cast<void**>(&setPortConnectCallback), "jack_set_port_connect_callback"},
        {reinterpret_cast<void**>(&portRegister), "jack_port_register"},
        {reinterpret_cast<void**>(&setPortRegistrationCallback),
         "jack_set_port_registration_callback"},
        {reinterpret_cast<void**>(&portById), "jack_port_by_id"},
        {reinterpret_cast<void**>(&portByName), "jack_port_by_name"},
        {reinterpret_cast<void**>(&portName), "jack_port_name"},
        {reinterpret_cast<void**>(&portConnections), "jack_port_get_all_connections"},
        {reinterpret_cast<void**>(&connect), "jack_connect"},
        {reinterpret_cast<void**>(&getPorts), "jack_get_ports"},
        {reinterpret_cast<void**>(&free), "jack_free"},
        {reinterpret_cast<void**>(&portBuffer), "jack_port_get_buffer"},
        {reinterpret_cast<void**>(&getCycleTimes), "jack_get_cycle_times"},
        {reinterpret_cast<void**>(&getTime), "jack_get_time"},
        {reinterpret_cast<void**>(&getSampleRate), "jack_get_sample_rate"},
        {reinterpret_cast<void**>(&midiEventCount), "jack_midi_get_event_count"},
        {reinterpret_cast<void**>(&midiEventGet), "jack_midi_event_get"},
        {reinterpret_cast<void**>(&midiClearBuffer), "jack_midi_clear_buffer"},
        {reinterpret_cast<void**>(&midiEventWrite), "jack_midi_event_write"},
    };
    for (const Entry& entry : entries) {
        if (!Find(entry.function, entry.name, why)) {
            dlclose(library);
            library = nullptr;
            return false;
        }
    }
    // Looked up now, with the functions: dlsym takes the loader's lock,
    // which the bridge's keeper thread must never wait for.
    errorHook = static_cast<jack::MessageCallback*>(dlsym(library, "jack_error_callback"));
    infoHook = static_cast<jack::MessageCallback*>(dlsym(library, "jack_info_callback"));
    return true;
}

// The hooks are variables of the library (jack_error_callback and
// jack_info_callback); a library without them just stays as talkative.
JackApi::QuietMessages::QuietMessages(const JackApi& api) : error(api.errorHook), info(api.infoHook)
{
    const jack::MessageCallback silent = [](const char*) {};
    if (error != nullptr) {
        savedError = *error;
        *error = silent;
    }
    if (info != nullptr) {
        savedInfo = *info;
        *info = silent;
    }
}

JackApi::QuietMessages::~QuietMessages()
{
    if (error != nullptr)
        *error = savedError;
    if (info != nullptr)
        *info = savedInfo;
}
