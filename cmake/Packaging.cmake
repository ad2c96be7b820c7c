# The Debian package of the Linux gamedisc: `cpack -G DEB` in the build
# folder of a release build. It holds the install component gamedisc only
# (the tool and its manual page), under /usr.
set(CPACK_PACKAGE_NAME gamedisc)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "disc setup maintainers <maintainers@users.noreply.c-seed-de4eac32.example>"
  CACHE STRING "The maintainer named in the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "build, list, verify and extract a game's setup discs")
# Lines as Debian wraps them (CPack indents each one).
set(CPACK_PACKAGE_DESCRIPTION "gamedisc makes a PC game's setup discs from its files and checks them,
and gets the game off its discs, their folders or their ISO 9660 and
BIN/CUE images on any system, written exactly as the installer installs
it.")
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};gamedisc;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries it links (libpng, libiso9660 and libcdio, zlib, libdeflate,
# the C++ runtime), as dpkg-shlibdeps (dpkg-dev) finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What two options run: build --iso and build --sign.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xorriso, osslsigncode")
# Folders in the package as Debian has them, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# cpack installs what the build made, and builds nothing first: by default
# it builds every target (tests, benchmarks) before it packs one tool. The
# tool is built on its own first (docs/building.md).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
