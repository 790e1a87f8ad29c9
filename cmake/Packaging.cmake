# SPDX-License-Identifier: GPL-3.0-or-later
# cpack -G DEB: one package with both programs and their desktop files. Its
# Depends come from dpkg-shlibdeps; the MIME, menu and icon caches are brought
# up to date by the triggers of the packages that own them, so the package
# needs no scripts of its own.
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tavrel")
set(TAVREL_PACKAGE_MAINTAINER "Tavrel developers <tavrel@example.org>"
  CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${TAVREL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sprite sheet viewer and converter for old game mods")
set(CPACK_PACKAGE_DESCRIPTION
  "Tavrel opens the SPR and SP2 sprite sheets of old games, shows them in any\n\
of their sixteen palette rows over a checkerboard, saves them back, exports\n\
them as 8-bit BMP pictures and imports BMP pictures in their place. The\n\
command-line converter tavrel-convert does the same for many files at once.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
include(CPack)
