# `make package`: a Debian package of what `cmake --install` installs, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME findolin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${FINDOLIN_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find files by name and by content, and preview them")
# The lines below the summary, which CPack puts first.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Findolin lists a folder as its name is typed, narrows the list with every key
of a name query, searches whole folder trees by name and by content (text,
rich text, PDF and office documents), and previews the selected file: text,
pictures, office documents, web pages, mail and video.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${FINDOLIN_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links are found by dpkg-shlibdeps; what it needs besides them (Qt's
# plugins, the office, the codecs) is the run-time list of scripts/install-deps, kept there once.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/install-deps --runtime
    OUTPUT_VARIABLE runtime_packages OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE " " ", " CPACK_DEBIAN_PACKAGE_DEPENDS "${runtime_packages}")
# Directories such as /usr/share/icons belong to other packages; the package owns only its files.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
