# Installing and packaging the panel. No menu entry on Linux: the panel must
# be started from its folder beside the engines' folders, which a menu entry
# cannot know. On Windows everything goes into one folder, stream_panel/,
# that the operator puts beside the engines' folders.

set(CPACK_PACKAGE_NAME stream-panel)
set(CPACK_PACKAGE_VENDOR "Stream panel developers")
set(CPACK_PACKAGE_CONTACT "Stream panel developers <stream-panel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "Composes and saves query plans for the query engine, keeps its plan
library and starts the source, visual and query engines. The panel must
run with a current directory beside the engines' folders.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

# Strips an installed file in a stripped install (cpack, or --strip), with
# the strip options given.
function(panel_strip_installed file)
    if(CMAKE_STRIP)
        install(CODE "if(CMAKE_INSTALL_DO_STRIP)
            execute_process(COMMAND \"${CMAKE_STRIP}\" ${ARGN} \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${file}\"
                COMMAND_ERROR_IS_FATAL ANY)
        endif()")
    endif()
endfunction()

if(WIN32)
    set(folder stream_panel)
    install(TARGETS stream_panel RUNTIME DESTINATION ${folder})
    install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${folder})
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/windows-readme.txt DESTINATION ${folder} RENAME README.txt)

    # install(RUNTIME_DEPENDENCIES) refuses to run when cross-compiling, so
    # the DLLs are named: Qt's, its two plugins, and the MinGW runtime.
    get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
    get_filename_component(qt_bin ${qt_core_dll} DIRECTORY)
    install(FILES ${qt_bin}/Qt6Core.dll ${qt_bin}/Qt6Gui.dll ${qt_bin}/Qt6Widgets.dll
        DESTINATION ${folder})
    install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION ${folder}/platforms)
    install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION ${folder}/styles)
    foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
            OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
        install(FILES ${path} DESTINATION ${folder})
        panel_strip_installed(${folder}/${dll}) # Debian ships them with their symbols
    endforeach()

    set(CPACK_GENERATOR ZIP NSIS)
    set(CPACK_PACKAGE_FILE_NAME stream_panel-${PROJECT_VERSION}-windows-x64)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    # The installer's folder is the one holding the engines' folders; the
    # panel goes into stream_panel\ inside it. Uninstalling removes only the
    # files it installed, and a folder only once it is empty.
    set(CPACK_PACKAGE_INSTALL_DIRECTORY "Stream demo")
    set(CPACK_NSIS_DISPLAY_NAME "Stream panel")
    set(CPACK_NSIS_PACKAGE_NAME "Stream panel")
    set(CPACK_NSIS_DEFINES "Target amd64-unicode
!define MUI_DIRECTORYPAGE_TEXT_TOP `Choose the folder that holds the engines' folders \
(torvik_stream_gen_engine, plotmir_qt_stream, torvik_stream_query_engine). The panel is \
installed beside them, in its own folder stream_panel.`")
    set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/app/icons/stream_panel.ico)
    set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/app/icons/stream_panel.ico)
    set(CPACK_NSIS_INSTALLED_ICON_NAME "${folder}\\\\stream_panel.exe")
    # The uninstaller goes into the panel's folder, not among the engines';
    # it starts with that folder as its own, so it steps up one first.
    set(CPACK_NSIS_UNINSTALL_NAME "${folder}\\\\Uninstall")
    set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "GetFullPathName $INSTDIR '$INSTDIR\\\\..'")
    # The shortcut starts the panel in its own folder, beside the engines.
    set(CPACK_NSIS_CREATE_ICONS_EXTRA "SetOutPath '$INSTDIR\\\\${folder}'
  CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\Stream panel.lnk' '$INSTDIR\\\\${folder}\\\\stream_panel.exe'")
    # This runs after the uninstaller's own file is gone, so the panel's
    # folder, then empty unless the operator put something there, goes too.
    set(CPACK_NSIS_DELETE_ICONS_EXTRA "Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\Stream panel.lnk'
  RMDir '$INSTDIR\\\\${folder}'")
else()
    install(TARGETS stream_panel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # A stripped install also drops the sections that Debian's dh_strip removes.
    panel_strip_installed(${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:stream_panel>
        --remove-section=.comment --remove-section=.note)

    # The changelog's latest entry must be this version.
    file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog changelog_head LIMIT_COUNT 1)
    if(NOT changelog_head MATCHES "^stream-panel \\(${PROJECT_VERSION}\\) ")
        message(FATAL_ERROR "dist/changelog does not start with version ${PROJECT_VERSION}")
    endif()

    # The manual page and the changelog go in compressed, as Debian wants them.
    find_program(GZIP_PROGRAM gzip REQUIRED)
    set(compressed)
    foreach(file stream_panel.1 changelog)
        set(copy ${PROJECT_BINARY_DIR}/dist/${file})
        add_custom_command(OUTPUT ${copy}.gz
            COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/${file} ${copy}
            COMMAND ${GZIP_PROGRAM} -9nf ${copy}
            DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${file}
            VERBATIM)
        list(APPEND compressed ${copy}.gz)
    endforeach()
    add_custom_target(compressed_docs ALL DEPENDS ${compressed})
    install(FILES ${PROJECT_BINARY_DIR}/dist/stream_panel.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${PROJECT_BINARY_DIR}/dist/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/stream-panel)

    # The Qt runtime packages come from the libraries the program links.
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION science)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
