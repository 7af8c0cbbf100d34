# The program as users install programs on Windows: `cmake --install` lays
# out a folder that runs on a PC with nothing else installed (the program,
# Qt's DLLs with the windows platform and the windowsvista style, KArchive,
# zlib and the MinGW runtime), and CPack makes of it a zip and an installer
# (NSIS): per machine under Program Files, a Start-menu shortcut, the data
# folder c:\ravo\ made where it is missing and never touched otherwise.

install(TARGETS ippan RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:Qt5::Core> $<TARGET_FILE:Qt5::Gui> $<TARGET_FILE:Qt5::Widgets>
              $<TARGET_FILE:KF5::Archive>
        DESTINATION .)
install(FILES $<TARGET_FILE:Qt5::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt5::QWindowsVistaStylePlugin> DESTINATION styles)
# The compiler's runtime and zlib: the SDK's copies in the cross build; a
# native build deploys its own (windeployqt, see the README).
if(IPPAN_WIN_SDK)
    install(FILES "${IPPAN_WIN_SDK}/runtime/libgcc_s_seh-1.dll"
                  "${IPPAN_WIN_SDK}/runtime/libstdc++-6.dll"
                  "${IPPAN_WIN_SDK}/runtime/libwinpthread-1.dll"
                  "${IPPAN_WIN_SDK}/runtime/zlib1.dll"
            DESTINATION .)
endif()

set(CPACK_PACKAGE_NAME ippan)
set(CPACK_PACKAGE_VENDOR ippan)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Brand and generic drug names at a glance")
set(CPACK_PACKAGE_FILE_NAME "ippan-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY ippan)
set(CPACK_PACKAGE_EXECUTABLES ippan "ippan ${PROJECT_VERSION}")
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_NSIS_PACKAGE_NAME "ippan ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "ippan ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME ippan.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# A 64-bit installer, with Unicode texts.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
# CreateDirectory leaves a folder that is there, with its files, as it is;
# nothing in the uninstaller touches it.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "CreateDirectory \\\"C:\\\\ravo\\\"")
# The installer's name ends in -setup.
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/cpack-options.cmake")
set(CPACK_OUTPUT_FILE_PREFIX "${PROJECT_SOURCE_DIR}/dist")
include(CPack)
