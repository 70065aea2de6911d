# The Windows edition, cross-built by scripts/build-windows with
# cmake/mingw-w64-x86_64.cmake. libcurl (static, Schannel) and GoogleTest
# come from the prefix in CMAKE_FIND_ROOT_PATH (build-windows/deps).

# The Win32 dialog does not exist yet: until it does, the core with its
# Windows services (platform/windows/) and the unit tests are built, and no
# program of our own.
option(VELLUMO_WINDOWS_CORE_ONLY "Windows: build only the parts that have a Windows side today" ON)

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

if(NOT VELLUMO_WINDOWS_CORE_ONLY)
  message(FATAL_ERROR "The Win32 dialog does not exist yet")
endif()

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
