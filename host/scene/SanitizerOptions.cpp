// What the sanitizers are told about portSMF in the programs that use it;
// read only by sanitizer builds. The hooks must be visible for the
// sanitizer's runtime to find them in the program.
//
// The library's writer keeps one small queue entry of each track it writes
// and never frees it, and its table of attribute names frees with delete
// the names it made with new[] when the program ends. Neither is ours to
// fix, so the leak is suppressed and the new[]/delete check is off in
// these programs.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:Alg_smf_write::write_track\n";
}

extern "C" __attribute__((visibility("default"))) const char* __asan_default_options()
{
    return "alloc_dealloc_mismatch=0";
}
