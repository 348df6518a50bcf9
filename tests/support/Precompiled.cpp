// The source the test programs' shared precompiled header is built beside;
// the header itself is GoogleTest's (tests/CMakeLists.txt).
