# Installing and packaging. `cmake --install` puts the module where Linux
# hosts look for native VST 2 plug-ins (lib/lxvst under the prefix), our
# host next to it in bin/, and the built-in scene under share/ as an
# example to copy. CPack makes a Debian package of the same files for the
# tree's target: amd64 from the x86_64 tree, i386 from the i386 one.
install(TARGETS tarvenna LIBRARY DESTINATION lib/lxvst)
# The LV2 bundle, whose binary is the same module through a relative link:
# a host that loads both faces loads one file, with one relay.
install(FILES ${CMAKE_BINARY_DIR}/tarvenna.lv2/manifest.ttl ${CMAKE_BINARY_DIR}/tarvenna.lv2/tarvenna.ttl
        DESTINATION lib/lv2/tarvenna.lv2)
install(CODE "file(CREATE_LINK ../../lxvst/tarvenna.so
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/lv2/tarvenna.lv2/tarvenna.so\" SYMBOLIC)")
install(TARGETS tarvenna-host RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/host/scenes/relay.json DESTINATION share/tarvenna/scenes)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/tarvenna)

# Installing takes what is built; it does not build the test suites first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE i386)
else()
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvenna)
set(CPACK_PACKAGE_VENDOR "tarvenna.example")
set(CPACK_PACKAGE_CONTACT "Tarvenna <packages@tarvenna.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MIDI relay between the instances of a VST 2 plug-in")
set(CPACK_PACKAGE_DESCRIPTION "Tarvenna is a VST 2 instrument plug-in for Linux that relays \
MIDI between its own instances inside one host process. The module goes to /usr/lib/lxvst, \
where Linux hosts look for native VST 2 plug-ins, and is also an LV2 plug-in \
(/usr/lib/lv2/tarvenna.lv2); tarvenna-host plays scenes through it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The libraries the module and the host link, with the versions dpkg
# knows for the target's architecture.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Binaries without their symbol tables, as Debian ships them.
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
include(CPack)
