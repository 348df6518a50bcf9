#include "gui/WindowHandles.h"

#include "gui/SControl.h"

#include <X11/Xlib.h>
#include <sys/mman.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

// Last: it defines min and max as macros. Only XESetCloseDisplay is used.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace kvor::gui {

namespace handles {

namespace {

struct Entry {
    SControl* control = nullptr;
    int uses = 0;
    bool retired = false;
    Display* display = nullptr;
    unsigned long window = 0;
};

struct Binding {
    Display* display;
    uint32_t handle;
};

struct Table {
    std::mutex lock;
    std::condition_variable released;
    std::unordered_map<uint32_t, Entry> controls;
    // Window ids are unique per server; a process may talk to several, so
    // a window may be bound more than once.
    std::unordered_map<unsigned long, std::vector<Binding>> windows;
    uint32_t next = 1;
};

// Called with the table locked.
void Unbind(Table& table, const Entry& entry, uint32_t handle)
{
    const auto found = table.windows.find(entry.window);
    if (found == table.windows.end())
        return;
    std::vector<Binding>& bindings = found->second;
    bindings.erase(std::remove_if(bindings.begin(), bindings.end(),
                                  [handle](const Binding& b) { return b.handle == handle; }),
                   bindings.end());
    if (bindings.empty())
        table.windows.erase(found);
}

// The handles this thread holds uses of, once per use. Plain arrays: a
// thread_local with a destructor would pin the module in memory for as long
// as any host thread that called us lives, and dlclose would not unload it.
// Uses nest only as deep as event handling re-enters the procedure.
constexpr int kMaxNestedUses = 32;
thread_local uint32_t heldHere[kMaxNestedUses];
thread_local int heldCount = 0;

int UsesHeldHere(uint32_t handle)
{
    return static_cast<int>(std::count(heldHere, heldHere + heldCount, handle));
}

void NoteHeldHere(uint32_t handle)
{
    if (heldCount < kMaxNestedUses)
        heldHere[heldCount++] = handle;
}

void ForgetHeldHere(uint32_t handle)
{
    for (int i = heldCount - 1; i >= 0; --i) {
        if (heldHere[i] == handle) {
            std::copy(heldHere + i + 1, heldHere + heldCount, heldHere + i);
            --heldCount;
            return;
        }
    }
}

// Called with the table locked.
void WaitForOtherUses(Table& table, std::unique_lock<std::mutex>& guard, uint32_t handle)
{
    const int own = UsesHeldHere(handle);
    table.released.wait(guard, [&] {
        const auto found = table.controls.find(handle);
        return found == table.controls.end() || found->second.uses <= own;
    });
}

// Marks the handle retired, so that no new use begins, and waits for the
// uses of other threads to end; false when the handle is not registered.
bool RetireAndWait(Table& table, std::unique_lock<std::mutex>& guard, uint32_t handle)
{
    const auto found = table.controls.find(handle);
    if (found == table.controls.end())
        return false;
    found->second.retired = true;
    WaitForOtherUses(table, guard, handle);
    return true;
}

Table& TheTable()
{
    static Table table;
    return table;
}

// On i386 the handle is the address itself, as readers of the property on
// that target expect; elsewhere it is a counter that skips 0 and handles in
// use.
uint32_t NewHandle(Table& table, SControl* control)
{
    if constexpr (sizeof(void*) == sizeof(uint32_t)) {
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(control));
    } else {
        (void)control;
        while (table.next == 0 || table.controls.count(table.next) != 0)
            ++table.next;
        return table.next++;
    }
}

}  // namespace

uint32_t Register(SControl* control)
{
    if (control == nullptr)
        return 0;
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    const uint32_t handle = NewHandle(table, control);
    table.controls[handle] = Entry{control, 0, false};
    return handle;
}

void Unregister(uint32_t handle)
{
    Table& table = TheTable();
    std::unique_lock<std::mutex> guard(table.lock);
    if (!RetireAndWait(table, guard, handle))
        return;
    const auto entry = table.controls.find(handle);
    if (entry == table.controls.end())
        return;
    Unbind(table, entry->second, handle);
    table.controls.erase(entry);
}

void BindWindow(uint32_t handle, Display* display, unsigned long window)
{
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    const auto found = table.controls.find(handle);
    if (found == table.controls.end() || window == 0)
        return;
    Unbind(table, found->second, handle);
    found->second.display = display;
    found->second.window = window;
    table.windows[window].push_back(Binding{display, handle});
}

uint32_t HandleOfWindow(Display* display, unsigned long window)
{
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    const auto found = table.windows.find(window);
    if (found == table.windows.end())
        return 0;
    // Window ids are unique per server only: the same id met on another
    // connection (perhaps to another server) may name a window that is not
    // ours at all.
    for (const Binding& binding : found->second)
        if (binding.display == display)
            return binding.handle;
    return 0;
}

SControl* Lookup(uint32_t handle)
{
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    const auto found = table.controls.find(handle);
    if (found == table.controls.end() || found->second.retired)
        return nullptr;
    return found->second.control;
}

SControl* Acquire(uint32_t handle)
{
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    const auto found = table.controls.find(handle);
    if (found == table.controls.end() || found->second.retired)
        return nullptr;
    ++found->second.uses;
    NoteHeldHere(handle);
    return found->second.control;
}

void Release(uint32_t handle)
{
    Table& table = TheTable();
    {
        std::lock_guard<std::mutex> guard(table.lock);
        ForgetHeldHere(handle);
        const auto found = table.controls.find(handle);
        if (found != table.controls.end() && found->second.uses > 0)
            --found->second.uses;
    }
    table.released.notify_all();
}

void Retire(uint32_t handle)
{
    Table& table = TheTable();
    std::unique_lock<std::mutex> guard(table.lock);
    RetireAndWait(table, guard, handle);
}

unsigned Count()
{
    Table& table = TheTable();
    std::lock_guard<std::mutex> guard(table.lock);
    return static_cast<unsigned>(table.controls.size());
}

#if defined(__x86_64__)

namespace {

// endbr64; movabs rax, imm64; jmp rax. The first instruction keeps the stub
// a valid indirect-branch target where the CPU enforces that, and is a no-op
// elsewhere.
constexpr unsigned char kStubHead[] = {0xF3, 0x0F, 0x1E, 0xFA, 0x48, 0xB8};
constexpr unsigned char kStubTail[] = {0xFF, 0xE0};
constexpr size_t kStubSize = sizeof(kStubHead) + sizeof(uint64_t) + sizeof(kStubTail);

// The page stays mapped for the life of the process: a host may still hold
// the address after our windows are gone.
uint32_t BuildTrampoline()
{
    const size_t page = 4096;
    void* memory =
        mmap(nullptr, page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
    if (memory == MAP_FAILED)
        return 0;
    const uintptr_t address = reinterpret_cast<uintptr_t>(memory);
    if (address + kStubSize > 0x80000000u) {
        munmap(memory, page);
        return 0;
    }
    unsigned char* stub = static_cast<unsigned char*>(memory);
    const uint64_t target = reinterpret_cast<uint64_t>(&SControl::eventProc);
    std::memcpy(stub, kStubHead, sizeof(kStubHead));
    std::memcpy(stub + sizeof(kStubHead), &target, sizeof(target));
    std::memcpy(stub + sizeof(kStubHead) + sizeof(target), kStubTail, sizeof(kStubTail));
    if (mprotect(memory, page, PROT_READ | PROT_EXEC) != 0) {
        munmap(memory, page);
        return 0;
    }
    __builtin___clear_cache(reinterpret_cast<char*>(stub),
                            reinterpret_cast<char*>(stub + kStubSize));
    return static_cast<uint32_t>(address);
}

}  // namespace

uint32_t EventProcedureItem()
{
    static const uint32_t item = BuildTrampoline();
    return item;
}

#else

uint32_t EventProcedureItem()
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&SControl::eventProc));
}

#endif

}  // namespace handles

namespace {

const char* const kAtomNames[] = {
    "_KVORWND",          "_XEventProc",     "WM_PAINT_REGION", "WM_PAINT_AREA",
    "WM_PAINT_OUTLINES", "WM_MENU_ENTERED", "WM_MENU_LEFT",    "WM_PROTOCOLS",
};
constexpr int kAtomCount = sizeof(kAtomNames) / sizeof(kAtomNames[0]);
static_assert(sizeof(ToolkitAtoms) == kAtomCount * sizeof(unsigned long),
              "one name per atom of the table");

void Unhook(const std::unordered_map<Display*, std::vector<int>>& hooks);

struct AtomCache {
    // The host keeps its display after it has unloaded us: the close hooks
    // set on it point into this module and must go with it.
    ~AtomCache()
    {
        std::unordered_map<Display*, std::vector<int>> left;
        {
            std::lock_guard<std::mutex> guard(lock);
            left.swap(hooks);
        }
        Unhook(left);
    }

    std::mutex lock;
    std::unordered_map<Display*, ToolkitAtoms> atoms;
    // The extension numbers whose close hook we set, per display.
    std::unordered_map<Display*, std::vector<int>> hooks;
};

AtomCache& Cache()
{
    static AtomCache cache;
    return cache;
}

void Unhook(const std::unordered_map<Display*, std::vector<int>>& hooks)
{
    for (const auto& [display, numbers] : hooks)
        for (int number : numbers)
            XESetCloseDisplay(display, number, nullptr);
}

// A closed connection's address may be reused by a connection to another
// server, whose atoms differ: drop the entry when Xlib closes the display.
int ForgetDisplay(Display* display, XExtCodes*)
{
    AtomCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    cache.atoms.erase(display);
    cache.hooks.erase(display);
    return 0;
}

ToolkitAtoms Intern(Display* display)
{
    Atom values[kAtomCount] = {};
    XInternAtoms(display, const_cast<char**>(kAtomNames), kAtomCount, False, values);
    ToolkitAtoms atoms{values[0], values[1], values[2], values[3],
                       values[4], values[5], values[6], values[7]};
    if (XExtCodes* codes = XAddExtension(display)) {
        XESetCloseDisplay(display, codes->extension, ForgetDisplay);
        AtomCache& cache = Cache();
        std::lock_guard<std::mutex> guard(cache.lock);
        cache.hooks[display].push_back(codes->extension);
    }
    return atoms;
}

}  // namespace

ToolkitAtoms AtomsOf(Display* display)
{
    if (display == nullptr)
        return ToolkitAtoms{};
    AtomCache& cache = Cache();
    {
        std::lock_guard<std::mutex> guard(cache.lock);
        const auto found = cache.atoms.find(display);
        if (found != cache.atoms.end())
            return found->second;
    }
    // Interned outside the lock: it is a round trip, and two threads that
    // race here both get the same values from the server.
    const ToolkitAtoms atoms = Intern(display);
    std::lock_guard<std::mutex> guard(cache.lock);
    cache.atoms.emplace(display, atoms);
    return atoms;
}

}  // namespace kvor::gui
