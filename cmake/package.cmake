# The packager's tool as an installed program, and its .deb and .tar.gz
# (scripts/make-deb.sh). Included by the native build only.

# Installed as tremlok-setup: a bare "setup" on PATH would shadow, or be
# shadowed by, any other program of that name.
include(GNUInstallDirs)
install(PROGRAMS $<TARGET_FILE:setup> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME tremlok-setup)
# install(PROGRAMS) is never stripped by --strip or CPack, as a target is.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tremlok-setup\"
            COMMAND_ERROR_IS_FATAL ANY)
    endif()")
# Signing, the one step after the tool's: through osslsigncode, recommended.
install(PROGRAMS ${CMAKE_SOURCE_DIR}/scripts/sign-setup.sh DESTINATION ${CMAKE_INSTALL_BINDIR}
    RENAME tremlok-sign-setup)

# The package's maintainer, in its control data and changelog: a packager
# sets their own with -DTREMLOK_MAINTAINER="Name <mail>". The default's
# .invalid domain (RFC 2606) never takes mail.
set(TREMLOK_MAINTAINER "Tremlok Games <setup@tremlok.invalid>" CACHE STRING
    "Maintainer of the .deb: \"Name <mail>\"")
set(CPACK_PACKAGE_VERSION 0.63)
# Dated by SOURCE_DATE_EPOCH where set (scripts/make-deb.sh sets it), and
# compressed without gzip's name and time: the same sources, the same bytes.
string(TIMESTAMP TREMLOK_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
execute_process(COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/changelog OUTPUT_FILE ${CMAKE_BINARY_DIR}/changelog.gz
    COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tremlok-setup)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
    RENAME tremlok-setup)
# Packaging needs the tool only, not the tests and benchmarks.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PACKAGE_NAME tremlok-setup)
set(CPACK_PACKAGE_VENDOR "Tremlok Games")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Builds the Windows installer Setup.exe of a game from its folder")
# Lines of at most 80 characters, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION "tremlok-setup packs a game folder into the archive of the Tremlok Setup
Windows installer, and lists, tests and extracts the archive of a data.bin or
of a Setup.exe, on Linux, without Windows or Wine.")
set(CPACK_PACKAGE_CONTACT ${TREMLOK_MAINTAINER})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# dpkg-shlibdeps names the libraries the program links, with their versions.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS osslsigncode)
include(CPack)
