# Debian's clang, for the sanitizer trees: libFuzzer comes with it, and it
# compiles instrumented code in about half the time GCC takes.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_FLAGS_INIT "-m64")
set(CMAKE_CXX_FLAGS_INIT "-m64")
