# SPDX-License-Identifier: Apache-2.0
# Debian packages through CPack (`cpack -G DEB` in a build folder):
#   libtessel<SOVERSION>  the versioned shared object, its Depends computed by dpkg-shlibdeps
#                         from the libraries it links (FFTW or KissFFT, libstdc++, libc);
#   libtessel-dev         headers, the libtessel.so link, the CMake package and tessel.pc,
#                         depending on the runtime package of at least the same version.
# The package names carry the SONAME's number, so an ABI break installs side by side.
# Packages install under /usr; configure with -DCMAKE_INSTALL_PREFIX=/usr to get Debian's
# multiarch library folder (lib/<triplet>) as well.

set(CPACK_PACKAGE_NAME tessel)
set(CPACK_PACKAGE_VENDOR "tessel developers")
set(CPACK_PACKAGE_CONTACT "tessel developers <tessel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)

set(CPACK_COMPONENTS_ALL runtime dev)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)

set(_tessel_runtime_package libtessel${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${_tessel_runtime_package})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# A shlibs file, so that programs built against the library depend on this package.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "Vector network analyzer data processing - shared library (FFT backend: ${TESSEL_FFT})")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libtessel-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "${_tessel_runtime_package} (>= ${PROJECT_VERSION}), libboost-dev (>= 1.74)")
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "Vector network analyzer data processing - development files (headers, CMake package, pkg-config)")

include(CPack)
