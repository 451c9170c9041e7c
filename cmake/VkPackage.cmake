# The Debian package: cpack -G DEB in the build folder writes vkcert_<version>_<arch>.deb with
# what `cmake --install` installs, its run-time dependencies computed by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME vkcert)
set(CPACK_PACKAGE_VENDOR "The vkCert authors")
set(CPACK_PACKAGE_CONTACT "The vkCert authors <vkcert@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Certificate browser for Velkora USB tokens")
set(CPACK_PACKAGE_DESCRIPTION
    "vkCert shows the Velkora USB tokens of the computer as a tree of tokens, key containers and
keys with their certificates, exports and imports certificates and PFX files, registers
certificates in the personal store and logs in with the PIN. Virtual tokens to try it on are
made with vktoken; vkcert-cli does the same work from scripts.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dialogs are laid out in DejaVu Sans, which the program loads from its files; Qt Help reads
# the user's guide through Qt's SQLite driver, a plugin that no library links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, libqt6sql6-sqlite")
# Qt's Russian texts of its own dialogs, and a session bus for the single-instance signal.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, dbus-user-session | dbus-x11")
# The programs without their debugging information; the version stamp is kept (an allocated note).
set(CPACK_STRIP_FILES ON)
include(CPack)
