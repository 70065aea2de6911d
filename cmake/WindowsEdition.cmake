# The Windows edition, cross-built by scripts/build-windows with
# cmake/mingw-w64-x86_64.cmake. libcurl (static, Schannel) and GoogleTest
# come from the prefix in CMAKE_FIND_ROOT_PATH (build-windows/deps).

# Files with a Windows side of their own beside them.
set(VELLUMO_NOT_ON_WINDOWS
  mail/AsciiDomain.cpp            # libidn2; mail/windows/ has IdnToAscii
)
# Unit tests that need what Windows lacks.
set(VELLUMO_TESTS_NOT_ON_WINDOWS
  tests/mail/AttachmentAndBody_test.cpp      # SentMailReader runs python3
  tests/mail/HeaderEncoding_test.cpp         # the same
  tests/mail/MessageHeaders_test.cpp         # the same
)

# GCC 12 warns falsely about std::string's operator+ at -O3 (GCC bug 105651).
add_compile_options(-Wno-restrict)

# libcurl as built by scripts/build-windows: its pkg-config file names the
# Windows libraries the static library needs (ws2_32, crypt32, secur32, ...).
find_package(PkgConfig REQUIRED)
list(TRANSFORM CMAKE_FIND_ROOT_PATH APPEND /lib/pkgconfig OUTPUT_VARIABLE pkg_config_dirs)
list(JOIN pkg_config_dirs : pkg_config_dirs)
set(ENV{PKG_CONFIG_LIBDIR} "${pkg_config_dirs}")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
pkg_check_modules(CURL_WINDOWS REQUIRED libcurl)
add_library(CURL::libcurl INTERFACE IMPORTED)
target_include_directories(CURL::libcurl INTERFACE ${CURL_WINDOWS_STATIC_INCLUDE_DIRS})
target_compile_options(CURL::libcurl INTERFACE ${CURL_WINDOWS_STATIC_CFLAGS_OTHER})
target_link_directories(CURL::libcurl INTERFACE ${CURL_WINDOWS_STATIC_LIBRARY_DIRS})
target_link_libraries(CURL::libcurl INTERFACE ${CURL_WINDOWS_STATIC_LIBRARIES})

function(vellumo_windows_sources out)
  file(GLOB sources CONFIGURE_DEPENDS ${ARGN})
  foreach(excluded IN LISTS VELLUMO_NOT_ON_WINDOWS VELLUMO_TESTS_NOT_ON_WINDOWS)
    list(REMOVE_ITEM sources ${PROJECT_SOURCE_DIR}/${excluded})
  endforeach()
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# nlohmann/json is header-only: Debian's headers serve the cross build too,
# seen through a folder that holds them alone (not the rest of /usr/include).
set(nlohmann_include ${CMAKE_BINARY_DIR}/json-include)
if(NOT EXISTS ${nlohmann_include}/nlohmann/json.hpp)
  if(NOT EXISTS /usr/include/nlohmann/json.hpp)
    message(FATAL_ERROR "nlohmann/json.hpp missing: scripts/setup installs nlohmann-json3-dev")
  endif()
  file(MAKE_DIRECTORY ${nlohmann_include})
  file(CREATE_LINK /usr/include/nlohmann ${nlohmann_include}/nlohmann SYMBOLIC)
endif()

vellumo_windows_sources(VELLUMO_CORE_SOURCES app/*.cpp config/*.cpp smtp/*.cpp mail/*.cpp text/*.cpp
  platform/*.cpp platform/windows/*.cpp mail/windows/*.cpp)
add_library(vellumo_core STATIC ${VELLUMO_CORE_SOURCES})
target_include_directories(vellumo_core PUBLIC ${PROJECT_SOURCE_DIR})
target_include_directories(vellumo_core SYSTEM PUBLIC ${nlohmann_include})
# IdnToAscii, CommandLineToArgvW; the secret file's DPAPI and known folders.
target_link_libraries(vellumo_core PUBLIC normaliz shell32 crypt32 ole32)

vellumo_windows_sources(VELLUMO_CURL_SOURCES smtp/curl/*.cpp)
add_library(vellumo_curl STATIC ${VELLUMO_CURL_SOURCES})
target_link_libraries(vellumo_curl PUBLIC vellumo_core CURL::libcurl)

if(VELLUMO_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  # Listing the tests runs the program, under Wine here: do it when the
  # tests run, not at build time.
  set(discovery DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})

  vellumo_windows_sources(VELLUMO_FAKE_SOURCES tests/fakes/*.cpp)
  add_library(vellumo_fakes STATIC ${VELLUMO_FAKE_SOURCES})
  target_link_libraries(vellumo_fakes PUBLIC vellumo_core)
  target_include_directories(vellumo_fakes PUBLIC ${PROJECT_SOURCE_DIR}/tests)

  foreach(area app config smtp mail text platform)
    # tests/platform/windows/: what only the Windows side does.
    vellumo_windows_sources(area_tests tests/${area}/*_test.cpp tests/${area}/windows/*_test.cpp)
    if(area_tests)
      add_executable(vellumo_${area}_tests ${area_tests})
      target_link_libraries(vellumo_${area}_tests PRIVATE vellumo_fakes GTest::gtest_main)
      gtest_discover_tests(vellumo_${area}_tests ${discovery})
    endif()
  endforeach()

  vellumo_windows_sources(VELLUMO_CURL_TESTS tests/smtp/curl/*_test.cpp)
  if(VELLUMO_CURL_TESTS)
    add_executable(vellumo_curl_tests ${VELLUMO_CURL_TESTS})
    target_link_libraries(vellumo_curl_tests PRIVATE vellumo_curl vellumo_fakes GTest::gtest_main)
    gtest_discover_tests(vellumo_curl_tests ${discovery})
  endif()
endif()

# The Win32 side of the toolkit seam, the programs and their ZIP.
file(GLOB VELLUMO_WIN32_SOURCES CONFIGURE_DEPENDS app/win32/*.cpp)
list(REMOVE_ITEM VELLUMO_WIN32_SOURCES ${PROJECT_SOURCE_DIR}/app/win32/main.cpp)
add_library(vellumo_win32 STATIC ${VELLUMO_WIN32_SOURCES})
target_compile_definitions(vellumo_win32 PUBLIC UNICODE _UNICODE)
target_link_libraries(vellumo_win32 PUBLIC vellumo_core user32 gdi32 ole32 oleacc uuid)

# Icon, version and manifest (DPI awareness, Common Controls 6).
enable_language(RC)
string(REPLACE . , VELLUMO_RC_COMMAS "${PROJECT_VERSION}.0")
set(VELLUMO_RC_VERSION "${PROJECT_VERSION}.0")
set(VELLUMO_WIN32_DIR ${PROJECT_SOURCE_DIR}/app/win32)
set(VELLUMO_MANIFEST ${PROJECT_BINARY_DIR}/vellumo.manifest)
configure_file(app/win32/vellumo.manifest ${VELLUMO_MANIFEST} @ONLY)
configure_file(app/win32/vellumo.rc.in ${PROJECT_BINARY_DIR}/vellumo.rc @ONLY)
set_source_files_properties(${PROJECT_BINARY_DIR}/vellumo.rc PROPERTIES
  OBJECT_DEPENDS "${VELLUMO_MANIFEST};${VELLUMO_WIN32_DIR}/vellumo.ico")

# The shipped program: GUI subsystem, wide entry point, no hook.
add_executable(vellumo WIN32 app/win32/main.cpp ${PROJECT_BINARY_DIR}/vellumo.rc)
target_link_options(vellumo PRIVATE -municode -s)
target_link_libraries(vellumo PRIVATE vellumo_win32 vellumo_curl)
install(TARGETS vellumo RUNTIME DESTINATION .)

# The test program: the same, plus the unattended hooks.
add_executable(vellumo-unattended WIN32 app/win32/main.cpp
  app/win32/unattended/UnattendedEnvironment.cpp ${PROJECT_BINARY_DIR}/vellumo.rc)
target_compile_definitions(vellumo-unattended PRIVATE VELLUMO_UNATTENDED)
target_link_options(vellumo-unattended PRIVATE -municode -s)
target_link_libraries(vellumo-unattended PRIVATE vellumo_win32 vellumo_curl)

# The ZIP: the program and a short README in French and English.
install(FILES packaging/windows/README.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vellumo)
set(CPACK_SYSTEM_NAME windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)

if(VELLUMO_TESTS)
  file(GLOB VELLUMO_WIN32_TESTS CONFIGURE_DEPENDS tests/app/win32/*_test.cpp)
  add_executable(vellumo_win32_tests ${VELLUMO_WIN32_TESTS})
  target_link_libraries(vellumo_win32_tests PRIVATE vellumo_win32 vellumo_fakes GTest::gtest_main)
  gtest_discover_tests(vellumo_win32_tests ${discovery})
endif()

# Schannel against local TLS servers: run by scripts/test-windows-tls, which
# starts the servers and trusts the test CA; not a ctest of its own.
if(VELLUMO_TESTS)
  add_executable(vellumo_windows_tls_tests tests/e2e/windows/WindowsTls_test.cpp)
  target_link_libraries(vellumo_windows_tls_tests PRIVATE vellumo_curl GTest::gtest_main)
endif()
