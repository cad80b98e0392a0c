# SPDX-License-Identifier: GPL-2.0-or-later
# What `cmake --install` puts on a Linux system, and the checks that its documents match the
# programs. The directories distributions place differently come from the pkg-config files of
# the programs that read them, with Debian's directories when those are not there; each is a
# cache variable a packager can set.
include(GNUInstallDirs)
find_package(PkgConfig QUIET)
find_package(Python3 COMPONENTS Interpreter)
find_program(VANTREL_SCDOC scdoc)

set(VANTREL_APP_ID org.vantrel.Vantrel)
set(VANTREL_SETTINGS_FILE /etc/vantrel/settings.reg)
file(STRINGS ${PROJECT_SOURCE_DIR}/res/version_info.h VANTREL_VERSION_LINE
     REGEX "kVersionString = \"")
string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" VANTREL_VERSION_STRING "${VANTREL_VERSION_LINE}")

# A directory under the module's own prefix is kept relative, so that it follows the prefix given
# to `cmake --install`; one outside it (Debian's /lib) stays as it is.
function(vantrel_system_dir variable module pc_variable default description)
  set(value ${default})
  if(PKG_CONFIG_FOUND)
    execute_process(COMMAND ${PKG_CONFIG_EXECUTABLE} --variable=${pc_variable} ${module}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE status ERROR_QUIET)
    execute_process(COMMAND ${PKG_CONFIG_EXECUTABLE} --variable=prefix ${module}
                    OUTPUT_VARIABLE prefix OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(status EQUAL 0 AND found)
      set(value ${found})
      if(prefix AND value MATCHES "^${prefix}/(.+)$")
        set(value ${CMAKE_MATCH_1})
      endif()
    endif()
  endif()
  set(${variable} ${value} CACHE PATH "${description} (relative: below the install prefix)")
endfunction()

vantrel_system_dir(VANTREL_SYSTEMD_UNIT_DIR systemd systemdsystemunitdir
                   /lib/systemd/system "systemd system units")
vantrel_system_dir(VANTREL_MODULES_LOAD_DIR systemd modulesloaddir
                   lib/modules-load.d "modules-load.d files")
vantrel_system_dir(VANTREL_UDEV_DIR udev udevdir /lib/udev "udev's directory (rules.d below)")
vantrel_system_dir(VANTREL_BASH_COMPLETION_DIR bash-completion completionsdir
                   ${CMAKE_INSTALL_DATADIR}/bash-completion/completions "bash completions")
vantrel_system_dir(VANTREL_FISH_COMPLETION_DIR fish completionsdir
                   ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d "fish completions")
vantrel_system_dir(VANTREL_POLKIT_ACTION_DIR polkit-gobject-1 policydir
                   ${CMAKE_INSTALL_DATADIR}/polkit-1/actions "polkit actions")
set(VANTREL_ZSH_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions
    CACHE PATH "zsh completions (relative: below the install prefix)")

# A file that names an installed program, made twice: in the build tree for the configured
# prefix (for installing by hand), and again by `cmake --install` for the prefix it is given.
function(vantrel_install_configured source name destination)
  set(VANTREL_BINDIR ${CMAKE_INSTALL_FULL_BINDIR})
  configure_file(${source} ${PROJECT_BINARY_DIR}/dist/${name} @ONLY)
  set(installed ${PROJECT_BINARY_DIR}/dist/installed/${name})
  set(bindir "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}")
  if(IS_ABSOLUTE ${CMAKE_INSTALL_BINDIR})
    set(bindir ${CMAKE_INSTALL_BINDIR})
  endif()
  install(CODE "
    set(VANTREL_BINDIR \"${bindir}\")
    set(VANTREL_APP_ID ${VANTREL_APP_ID})
    set(VANTREL_SETTINGS_FILE ${VANTREL_SETTINGS_FILE})
    set(VANTREL_VERSION_STRING ${VANTREL_VERSION_STRING})
    configure_file(${source} ${installed} @ONLY)")
  install(FILES ${installed} DESTINATION ${destination})
endfunction()

set(VANTREL_DIST ${PROJECT_SOURCE_DIR}/dist)

install(TARGETS vantrelctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The kernel path without root, and the units that put the saved settings back.
install(FILES ${VANTREL_DIST}/60-vantrel-i2c.rules DESTINATION ${VANTREL_UDEV_DIR}/rules.d
        RENAME 60-vantrel.rules)
install(FILES ${VANTREL_DIST}/modules-load/vantrel.conf DESTINATION ${VANTREL_MODULES_LOAD_DIR})
foreach(unit vantrel-load.service vantrel-resume.service)
  vantrel_install_configured(${VANTREL_DIST}/systemd/${unit}.in ${unit}
                             ${VANTREL_SYSTEMD_UNIT_DIR})
endforeach()

install(FILES ${VANTREL_DIST}/completions/vantrelctl.bash
        DESTINATION ${VANTREL_BASH_COMPLETION_DIR} RENAME vantrelctl)
install(FILES ${VANTREL_DIST}/completions/_vantrelctl DESTINATION ${VANTREL_ZSH_COMPLETION_DIR})
install(FILES ${VANTREL_DIST}/completions/vantrelctl.fish
        DESTINATION ${VANTREL_FISH_COMPLETION_DIR})

if(TARGET vantrel)
  install(TARGETS vantrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${VANTREL_DIST}/${VANTREL_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  vantrel_install_configured(${VANTREL_DIST}/${VANTREL_APP_ID}.metainfo.xml.in
                             ${VANTREL_APP_ID}.metainfo.xml ${CMAKE_INSTALL_DATADIR}/metainfo)
  vantrel_install_configured(${VANTREL_DIST}/polkit/${VANTREL_APP_ID}.policy.in
                             ${VANTREL_APP_ID}.policy ${VANTREL_POLKIT_ACTION_DIR})

  # The menu's icon: the dialog's clock chip, drawn by the same script at each theme size.
  if(Python3_Interpreter_FOUND)
    set(icons)
    foreach(size 16 22 24 32 48 64 128 256)
      set(icon ${PROJECT_BINARY_DIR}/icons/${size}x${size}/${VANTREL_APP_ID}.png)
      add_custom_command(
        OUTPUT ${icon}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
        COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/res/icons/make_icons.py
                --png ${size} ${icon}
        DEPENDS ${PROJECT_SOURCE_DIR}/res/icons/make_icons.py VERBATIM)
      list(APPEND icons ${icon})
      install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(vantrel_theme_icons ALL DEPENDS ${icons})
  else()
    message(STATUS "No Python 3: the desktop icons are not made")
  endif()
endif()

# Man pages, from scdoc sources.
set(VANTREL_MAN_PAGES vantrel.1 vantrelctl.1 vantrel-settings.5 vantrel-load.service.8)
if(VANTREL_SCDOC AND Python3_Interpreter_FOUND)
  set(man_outputs)
  foreach(page ${VANTREL_MAN_PAGES})
    set(out ${PROJECT_BINARY_DIR}/man/${page})
    add_custom_command(
      OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND Python3::Interpreter ${VANTREL_DIST}/man/make_man.py
              ${VANTREL_DIST}/man/${page}.scd ${out}
      DEPENDS ${VANTREL_DIST}/man/${page}.scd ${VANTREL_DIST}/man/simulated-board.scd.in
              ${VANTREL_DIST}/man/make_man.py VERBATIM)
    list(APPEND man_outputs ${out})
    string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
    install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  endforeach()
  add_custom_target(vantrel_man_pages ALL DEPENDS ${man_outputs})
  # The resume unit is described on the boot unit's page.
  file(WRITE ${PROJECT_BINARY_DIR}/man/vantrel-resume.service.8 ".so man8/vantrel-load.service.8\n")
  install(FILES ${PROJECT_BINARY_DIR}/man/vantrel-resume.service.8
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man8)

  if(VANTREL_BUILD_TESTS)
    set(check ${PROJECT_SOURCE_DIR}/tests/docs/help_matches_docs.py)
    add_test(NAME Docs.VantrelctlHelpMatchesManPageAndCompletions
             COMMAND Python3::Interpreter ${check} $<TARGET_FILE:vantrelctl>
                     ${PROJECT_BINARY_DIR}/man/vantrelctl.1
                     --bash ${VANTREL_DIST}/completions/vantrelctl.bash
                     --zsh ${VANTREL_DIST}/completions/_vantrelctl
                     --fish ${VANTREL_DIST}/completions/vantrelctl.fish
                     --exit-constants ${PROJECT_SOURCE_DIR}/ctl/vantrelctl.h
                     --readme ${PROJECT_SOURCE_DIR}/docs/simulated-board.md)
    if(TARGET vantrel)
      add_test(NAME Docs.VantrelHelpMatchesManPage
               COMMAND Python3::Interpreter ${check} $<TARGET_FILE:vantrel>
                       ${PROJECT_BINARY_DIR}/man/vantrel.1)
    endif()
  endif()
else()
  message(STATUS "No scdoc or no Python 3: the man pages are not made")
endif()
