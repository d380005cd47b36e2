# `cmake --install` puts the class library, the IDE stand-in, the component packages, the
# system's package, brisk-ide and the headers an add-in compiles against into a prefix, with
# a package config so an add-in's own CMake project says find_package(BriskPack).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(BRISK_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/briskpack)
set(BRISK_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/BriskPack)

# Headers keep their folders, so `#include "framework/EIManager.h"` reads the same in the
# repository and against the prefix.
foreach(dir platform/win platform/vcl platform/ide platform/vellumkit framework panel expert brisk)
  if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/${dir})
    install(DIRECTORY ${CMAKE_SOURCE_DIR}/${dir}/ DESTINATION ${BRISK_INSTALL_INCLUDEDIR}/${dir}
            FILES_MATCHING PATTERN "*.h")
  endif()
endforeach()
target_include_directories(vcl PUBLIC $<INSTALL_INTERFACE:${BRISK_INSTALL_INCLUDEDIR}>)

install(TARGETS vcl ide Vellumkit RZ21ND50 BriskPack EXPORT BriskPackTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS brisk-ide RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The shipped wave files, sample unit and example scripts, where brisk-ide looks beside its own folder.
install(FILES ${CMAKE_SOURCE_DIR}/resources/key.wav ${CMAKE_SOURCE_DIR}/resources/enter.wav
              ${CMAKE_SOURCE_DIR}/resources/backspace.wav ${CMAKE_SOURCE_DIR}/resources/Sample.pas
              ${CMAKE_SOURCE_DIR}/resources/demo.script ${CMAKE_SOURCE_DIR}/resources/configure.script
              ${CMAKE_SOURCE_DIR}/resources/panel.script
        DESTINATION ${CMAKE_INSTALL_DATADIR}/briskpack/resources)

install(EXPORT BriskPackTargets NAMESPACE BriskPack:: DESTINATION ${BRISK_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/BriskPackConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/BriskPackConfig.cmake
                              INSTALL_DESTINATION ${BRISK_INSTALL_CMAKEDIR}
                              PATH_VARS CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/BriskPackConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/BriskPackConfig.cmake ${CMAKE_BINARY_DIR}/BriskPackConfigVersion.cmake
        DESTINATION ${BRISK_INSTALL_CMAKEDIR})
