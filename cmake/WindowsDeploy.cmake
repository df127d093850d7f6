# The Windows program as users get it: tonarion.exe and tonarion-cli.exe with the DLLs,
# plugins and German texts they need beside them and the licences of what they bring, and an installer made by `cpack` (NSIS,
# 64-bit) in the build folder. Debian has no windeployqt, and only a handful of files are
# needed, so they are named here.
if(NOT WIN32 OR NOT TONARION_BUILD_GUI)
  return()
endif()

# Qt itself: its four libraries, the platform plugin that makes windows on Windows, and the
# style that draws the controls as Windows draws its own. Qt looks for plugins in folders of
# these names beside the program.
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsIntegrationPlugin
        LIBRARY DESTINATION ${CMAKE_INSTALL_BINDIR}/platforms)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsVistaStylePlugin
        LIBRARY DESTINATION ${CMAKE_INSTALL_BINDIR}/styles)

# The compiler's runtime, which Qt's DLLs and ours share: one C++ runtime for both sides of
# every call. MinGW's knows where its own DLLs are (in the toolchain's library folders, or
# beside the compiler in MSYS2); CMake knows those of Visual Studio.
set(tonarion_mingw_runtime)
if(MINGW)
  get_filename_component(tonarion_compiler_folder "${CMAKE_CXX_COMPILER}" DIRECTORY)
  foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE tonarion_printed OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(tonarion_printed "${tonarion_printed}" DIRECTORY)
    find_file(TONARION_RUNTIME_${dll} ${dll} HINTS ${tonarion_printed} ${tonarion_compiler_folder}
              NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    list(APPEND tonarion_mingw_runtime "${TONARION_RUNTIME_${dll}}")
  endforeach()
  install(FILES ${tonarion_mingw_runtime} DESTINATION ${CMAKE_INSTALL_BINDIR})
else()
  set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION ${CMAKE_INSTALL_BINDIR})
  include(InstallRequiredSystemLibraries)
endif()

# Qt's German texts (file dialogs, standard buttons), from Qt's own translations or, for the
# Qt of scripts/qt-windows, which has none, from Debian's of the same Qt version. main.cpp
# looks for them in translations/ beside the program.
find_file(TONARION_QTBASE_DE_QM qtbase_de.qm
          PATHS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS} /usr/share/qt6/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED
          DOC "Qt's German texts (Debian: qt6-translations-l10n)")
install(FILES ${TONARION_QTBASE_DE_QM} DESTINATION ${CMAKE_INSTALL_BINDIR}/translations)

# The sound libraries (libmpg123, libout123, TagLib) beside the program, and libout123's
# Windows outputs in lib/mpg123, where it looks for them from the program's folder.
set(tonarion_sound_dll_folders)
if(TONARION_SOUND_CHECK)
  foreach(prefix ${TONARION_SOUND_LIBMPG123_PREFIX} ${TONARION_SOUND_TAGLIB_PREFIX})
    list(APPEND tonarion_sound_dll_folders ${prefix}/bin)
  endforeach()
  list(REMOVE_DUPLICATES tonarion_sound_dll_folders)
  foreach(library mpg123-0 out123-0 tag)
    find_file(TONARION_SOUND_DLL_${library} lib${library}.dll PATHS ${tonarion_sound_dll_folders}
              NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    install(FILES ${TONARION_SOUND_DLL_${library}} DESTINATION ${CMAKE_INSTALL_BINDIR})
  endforeach()
  file(GLOB tonarion_sound_outputs ${TONARION_SOUND_LIBMPG123_PREFIX}/lib/mpg123/output_win32*.dll)
  if(NOT tonarion_sound_outputs)
    message(FATAL_ERROR "libout123's outputs are missing in ${TONARION_SOUND_LIBMPG123_PREFIX}/lib/mpg123")
  endif()
  install(FILES ${tonarion_sound_outputs} DESTINATION ${CMAKE_INSTALL_LIBDIR}/mpg123)
  # The programs of the build folder find them the same way, from one folder up.
  file(COPY ${tonarion_sound_outputs} DESTINATION ${PROJECT_BINARY_DIR}/${CMAKE_INSTALL_LIBDIR}/mpg123)
  # Their licences, which scripts/sound-windows puts beside them.
  install(DIRECTORY ${TONARION_SOUND_LIBMPG123_PREFIX}/share/licenses/mpg123
                    ${TONARION_SOUND_TAGLIB_PREFIX}/share/licenses/taglib
          DESTINATION licenses)
endif()

# What converts and levels sounds: libsndfile with the codecs it links (libFLAC, libogg,
# libvorbis with libvorbisenc, libopus), LAME's libmp3lame and libebur128, each with its
# licence, from beside the import libraries the build linked (scripts/sound-windows installs
# them all into one tree).
if(TONARION_SOUND_CONVERSION)
  find_package(PkgConfig REQUIRED)
  pkg_get_variable(tonarion_sndfile_prefix sndfile prefix)
  pkg_get_variable(tonarion_ebur128_prefix libebur128 prefix)
  get_filename_component(tonarion_lame_prefix "${TONARION_LAME_LIBRARY}" DIRECTORY)
  get_filename_component(tonarion_lame_prefix "${tonarion_lame_prefix}" DIRECTORY)
  set(tonarion_conversion_dll_folders
      ${tonarion_sndfile_prefix}/bin ${tonarion_ebur128_prefix}/bin ${tonarion_lame_prefix}/bin)
  list(REMOVE_DUPLICATES tonarion_conversion_dll_folders)
  foreach(library sndfile-1 FLAC ogg vorbis vorbisenc opus-0 mp3lame-0 ebur128)
    find_file(TONARION_SOUND_DLL_${library} lib${library}.dll
              PATHS ${tonarion_conversion_dll_folders} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
              REQUIRED)
    install(FILES ${TONARION_SOUND_DLL_${library}} DESTINATION ${CMAKE_INSTALL_BINDIR})
  endforeach()
  list(APPEND tonarion_sound_dll_folders ${tonarion_conversion_dll_folders})
  set(tonarion_conversion_licences)
  foreach(package libsndfile flac libogg libvorbis opus)
    list(APPEND tonarion_conversion_licences ${tonarion_sndfile_prefix}/share/licenses/${package})
  endforeach()
  install(DIRECTORY ${tonarion_conversion_licences}
                    ${tonarion_lame_prefix}/share/licenses/lame
                    ${tonarion_ebur128_prefix}/share/licenses/libebur128
          DESTINATION licenses)
endif()

# Qt's licence: the LGPL 3 and the GPL 3 it builds on, from Qt's source where scripts/qt-windows
# keeps it, otherwise Debian's copies of the same texts. A Qt installed on Windows brings its
# own licence files; the cross build, which makes the installer, must find these.
foreach(licence LGPL GPL)
  find_file(TONARION_QT_${licence} NAMES ${licence}-3.0-only.txt ${licence}-3
            PATHS ${QT6_INSTALL_PREFIX}/../source/LICENSES /usr/share/common-licenses
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(TONARION_QT_${licence})
    install(FILES ${TONARION_QT_${licence}} DESTINATION licenses/qt RENAME ${licence}-3.0.txt)
  elseif(CMAKE_CROSSCOMPILING)
    message(FATAL_ERROR "Qt's licence text ${licence}-3.0-only.txt is missing")
  endif()
endforeach()

# The tests, run from the build folder under Wine, find Qt's DLLs, MinGW's runtime and the
# sound libraries through WINEPATH, a list of Windows folders like PATH.
if(CMAKE_CROSSCOMPILING)
  get_target_property(tonarion_qt_configurations Qt6::Core IMPORTED_CONFIGURATIONS)
  list(GET tonarion_qt_configurations 0 tonarion_qt_configuration)
  get_target_property(tonarion_qt_core Qt6::Core IMPORTED_LOCATION_${tonarion_qt_configuration})
  set(tonarion_wine_dll_folders)
  foreach(file ${tonarion_qt_core} ${tonarion_mingw_runtime})
    get_filename_component(folder "${file}" DIRECTORY)
    list(APPEND tonarion_wine_dll_folders "${folder}")
  endforeach()
  list(APPEND tonarion_wine_dll_folders ${tonarion_sound_dll_folders})
  # As Wine sees this machine's root: drive Z:.
  list(TRANSFORM tonarion_wine_dll_folders PREPEND "Z:")
  list(TRANSFORM tonarion_wine_dll_folders REPLACE "/" "\\\\")
  list(REMOVE_DUPLICATES tonarion_wine_dll_folders)
  string(REPLACE ";" "\\;" tonarion_wine_path "${tonarion_wine_dll_folders}")
endif()

# The installer: `cpack` in the build folder writes Tonarion-<version>-win64.exe. It installs
# into "Program Files\Tonarion" with a start menu entry, and its uninstaller removes it all.
set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME Tonarion)
set(CPACK_PACKAGE_VENDOR "The Tonarion developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tonarion)
set(CPACK_PACKAGE_EXECUTABLES tonarion Tonarion)
set(CPACK_NSIS_DISPLAY_NAME Tonarion)
set(CPACK_NSIS_PACKAGE_NAME Tonarion)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/tonarion.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/tonarion.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME ${CMAKE_INSTALL_BINDIR}/tonarion.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_STRIP_FILES ON)
# lzma packs the smallest installer; a check that only tries the installer may take zlib,
# which packs in a fraction of the time.
set(TONARION_INSTALLER_COMPRESSOR lzma CACHE STRING
    "The installer's NSIS compressor: lzma for a release, zlib for a quick check")
set(CPACK_NSIS_COMPRESSOR "/SOLID ${TONARION_INSTALLER_COMPRESSOR}")
# NSIS makes a 32-bit installer unless told otherwise, and a 64-bit Windows without its 32-bit
# part (such as Wine's 64-bit loader alone) cannot start one. CMake's own installer script,
# with one line more, makes a 64-bit one.
file(READ ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in tonarion_nsis_template)
string(FIND "${tonarion_nsis_template}" "\n" tonarion_first_line_end)
string(SUBSTRING "${tonarion_nsis_template}" 0 ${tonarion_first_line_end} tonarion_nsis_head)
math(EXPR tonarion_first_line_end "${tonarion_first_line_end} + 1")
string(SUBSTRING "${tonarion_nsis_template}" ${tonarion_first_line_end} -1 tonarion_nsis_tail)
file(WRITE ${PROJECT_BINARY_DIR}/nsis/NSIS.template.in
     "${tonarion_nsis_head}\n\nTarget amd64-unicode\n${tonarion_nsis_tail}")
set(CPACK_MODULE_PATH ${PROJECT_BINARY_DIR}/nsis)
include(CPack)
