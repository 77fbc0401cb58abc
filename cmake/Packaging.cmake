# SPDX-License-Identifier: GPL-3.0-or-later
# A Debian package made by CPack from the install rules:
#   cmake -S . -B build/rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DVT_BUILD_TESTS=OFF -DVT_BUILD_BENCH=OFF
#   cmake --build build/rel && (cd build/rel && cpack -G DEB)
# The shared libraries the program links come from dpkg-shlibdeps; the
# Depends below are what it loads at run time without linking.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME voicetray)
set(CPACK_PACKAGE_VENDOR "The VoiceTray developers")
set(CPACK_PACKAGE_CONTACT "The VoiceTray developers <voicetray@users.noreply.github.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/voicetray/VoiceTray")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "voice recorder in the system tray")
# The long description; CPack puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "VoiceTray records voice notes from the system tray. A global hot key starts
and stops recording from any application; recordings are AAC files kept in
categories that are plain folders, with notes at time marks, continuation,
splitting, search and import.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY voicetray)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The xcb platform plugin: Qt loads it, nothing links it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# FFmpeg opened on first use is not linked either: its packages are named
# after the libraries the program was built with (the soname is in the name).
if(VT_LOAD_FFMPEG_ON_USE)
  foreach(library IN LISTS FFMPEG_LINK_LIBRARIES)
    get_filename_component(real "${library}" REALPATH)
    execute_process(COMMAND dpkg-query --search "${real}" OUTPUT_VARIABLE owner
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed AND owner MATCHES "^([^:, ]+)")
      string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${CMAKE_MATCH_1}")
    endif()
  endforeach()
endif()
# A sound server to record from: PulseAudio or PipeWire's PulseAudio service;
# Qt's own texts in the user's language; xdg-utils to open links.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, qt6-translations-l10n, xdg-utils")
include(CPack)
