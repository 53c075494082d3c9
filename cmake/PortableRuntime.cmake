# Packs the runtime of portable shows (cmake -P): the launcher, then one line that names the
# payload, then the payload, a zstd-compressed tar of the player and everything it needs that
# a desktop with glibc 2.36 or newer may lack:
#   pellumo                 the player, without its debugging sections
#   lib/                    every library the player and the plugins below need, under the
#                           names they are asked for, apart from those that stay the system's
#   plugins/                Qt's X11 and Wayland platforms, the Wayland shell and decorations,
#                           and the compose-key input
#   translations/           Qt's own French words
#   fonts/                  the faces the caption and the boxes resolve to here, and a
#                           fontconfig file that shows them alone
#   qt.conf                 points Qt at these folders instead of the system's Qt
# The glibc libraries, GCC's C++ runtime (every glibc 2.36 desktop has one at least as new,
# and its graphics drivers need theirs) and the graphics drivers (GL, EGL, DRM, GBM, Vulkan,
# which must match the machine) stay the system's.
#
# Variables: PLAYER, LAUNCHER, OUTPUT, WORK (a folder of its own), QT_PLUGINS, QT_TRANSLATIONS,
# STRIP, TAR, ZSTD, FC_MATCH, LEVEL (zstd's, 1..19). Writes OUTPUT, and WORK/bundled.txt: the
# system files the payload carries copies of, one a line.
cmake_minimum_required(VERSION 3.25)

foreach(variable PLAYER LAUNCHER OUTPUT WORK QT_PLUGINS QT_TRANSLATIONS STRIP TAR ZSTD FC_MATCH LEVEL)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "PortableRuntime.cmake: ${variable} is not set")
  endif()
endforeach()

set(stage "${WORK}/stage")
file(REMOVE_RECURSE "${stage}")
file(MAKE_DIRECTORY "${stage}/lib" "${stage}/fonts" "${stage}/translations")
set(bundled "")

set(plugins
  platforms/libqxcb.so
  platforms/libqwayland-generic.so
  wayland-shell-integration/libxdg-shell.so
  wayland-decoration-client/libbradient.so
  platforminputcontexts/libcomposeplatforminputcontextplugin.so)
set(plugin_files "")
foreach(plugin IN LISTS plugins)
  get_filename_component(folder "${plugin}" DIRECTORY)
  file(MAKE_DIRECTORY "${stage}/plugins/${folder}")
  file(COPY_FILE "${QT_PLUGINS}/${plugin}" "${stage}/plugins/${plugin}")
  list(APPEND plugin_files "${QT_PLUGINS}/${plugin}")
  list(APPEND bundled "${QT_PLUGINS}/${plugin}")
endforeach()

file(GET_RUNTIME_DEPENDENCIES
  EXECUTABLES "${PLAYER}"
  MODULES ${plugin_files}
  RESOLVED_DEPENDENCIES_VAR libraries
  UNRESOLVED_DEPENDENCIES_VAR missing
  PRE_EXCLUDE_REGEXES
    "^ld-linux" "^libc\\.so" "^libm\\.so" "^libmvec\\.so" "^libpthread\\.so" "^libdl\\.so" "^librt\\.so"
    "^libresolv\\.so" "^libutil\\.so" "^libanl\\.so" "^libnss_" "^libthread_db"
    "^libstdc\\+\\+\\.so" "^libgcc_s\\.so"
    "^libasan\\.so" "^libubsan\\.so" "^libtsan\\.so"  # a sanitizer build's, which never leaves its machine
    "^libGL\\.so" "^libEGL\\.so" "^libGLX\\.so" "^libGLdispatch\\.so" "^libOpenGL\\.so" "^libGLES"
    "^libglapi\\.so" "^libdrm\\.so" "^libgbm\\.so" "^libvulkan\\.so")
if(missing)
  message(FATAL_ERROR "PortableRuntime.cmake: libraries not found: ${missing}")
endif()
foreach(library IN LISTS libraries)
  # Under the name the loader asks for, whatever file the system's link named.
  get_filename_component(name "${library}" NAME)
  file(COPY_FILE "${library}" "${stage}/lib/${name}")
  file(REAL_PATH "${library}" real)
  list(APPEND bundled "${real}")
endforeach()

execute_process(COMMAND "${STRIP}" --strip-debug -o "${stage}/pellumo" "${PLAYER}" COMMAND_ERROR_IS_FATAL ANY)

file(WRITE "${stage}/qt.conf" "[Paths]\nPrefix=.\nPlugins=plugins\nTranslations=translations\n")
if(EXISTS "${QT_TRANSLATIONS}/qtbase_fr.qm")
  file(COPY_FILE "${QT_TRANSLATIONS}/qtbase_fr.qm" "${stage}/translations/qtbase_fr.qm")
  list(APPEND bundled "${QT_TRANSLATIONS}/qtbase_fr.qm")
endif()

# The caption asks for the platform's default family in bold; the boxes for the default face.
foreach(pattern "MS Sans Serif:bold" "MS Sans Serif")
  execute_process(COMMAND "${FC_MATCH}" -f "%{file}" "${pattern}" OUTPUT_VARIABLE face COMMAND_ERROR_IS_FATAL ANY)
  get_filename_component(name "${face}" NAME)
  file(COPY_FILE "${face}" "${stage}/fonts/${name}")
  list(APPEND bundled "${face}")
endforeach()
file(WRITE "${stage}/fonts/fonts.conf" [=[<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<!-- The show's own faces, and no other: its caption looks the same on every machine. -->
<fontconfig>
  <dir prefix="relative">.</dir>
</fontconfig>
]=])

# Names sorted, owners and times fixed: the same files make the same payload, and so the same
# key, on every build.
execute_process(
  COMMAND "${TAR}" --format=ustar --sort=name --owner=0 --group=0 --numeric-owner --mtime=@0
          -C "${stage}" -cf "${WORK}/payload.tar" pellumo qt.conf lib plugins translations fonts
  COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${ZSTD}" -q -f -T1 "-${LEVEL}" "${WORK}/payload.tar" -o "${WORK}/payload.tar.zst"
                COMMAND_ERROR_IS_FATAL ANY)
file(SIZE "${WORK}/payload.tar" unpacked)
file(SIZE "${WORK}/payload.tar.zst" compressed)
file(SHA256 "${WORK}/payload.tar.zst" hash)
string(SUBSTRING "${hash}" 0 32 key)
file(WRITE "${WORK}/payload-line" "PELLUMO-RUNTIME 1 ${key} ${compressed} ${unpacked}\n")

execute_process(COMMAND "${CMAKE_COMMAND}" -E cat "${LAUNCHER}" "${WORK}/payload-line" "${WORK}/payload.tar.zst"
                OUTPUT_FILE "${OUTPUT}.part" COMMAND_ERROR_IS_FATAL ANY)
file(CHMOD "${OUTPUT}.part" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                        WORLD_READ WORLD_EXECUTE)
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
list(REMOVE_DUPLICATES bundled)
list(JOIN bundled "\n" bundled_lines)
file(WRITE "${WORK}/bundled.txt" "${bundled_lines}\n")
file(REMOVE "${WORK}/payload.tar")
