# The Windows edition, cross-built by scripts/build-windows with
# cmake/mingw-w64-x86_64.cmake. libcurl (static, Schannel) and GoogleTest
# come from the prefix in CMAKE_FIND_ROOT_PATH (build-windows/deps).

# The Win32 dialog and the Windows file services do not exist yet: until
# they do, only the toolkit-free core and the unit tests that need neither
# Qt, the native file system nor POSIX calls are built for Windows. The core
# compiles whole but for the file below; what calls the file seam's Windows
# side (NativeFileSystem, RegularFile) links only once that side exists.
option(VELLUMO_WINDOWS_CORE_ONLY "Windows: build only the parts that have a Windows side today" ON)

# Files that need what the Windows build does not have yet; platform/posix/
# is never built here.
set(VELLUMO_NOT_ON_WINDOWS
  mail/AsciiDomain.cpp            # libidn2 (Windows has IdnToAscii)
  tests/fakes/TempDirectory.cpp   # mkdtemp
)
# Unit tests that cannot link or run without the Windows side of the file
# seam (NativeFileSystem), the message's ASCII domains, or POSIX calls of
# their own.
set(VELLUMO_TESTS_NOT_ON_WINDOWS
  # The run harness: FakeSystem reads and writes through NativeFileSystem,
  # TempDirectory; the run composes messages (AsciiDomain).
  tests/app/CheckSMTPConnection_test.cpp
  tests/app/DeliverMessage_test.cpp
  tests/app/FormActivate_test.cpp
  tests/app/OfferManualSave_test.cpp
  tests/app/Startup_test.cpp
  tests/config/IniFileRead_test.cpp          # NativeFileSystem; mkdtemp
  tests/config/IniFileWrite_test.cpp         # NativeFileSystem; sys/wait.h, fork
  tests/config/ProvisionalMarker_test.cpp    # NativeFileSystem; mkdtemp
  tests/mail/AttachmentAndBody_test.cpp      # composes messages (AsciiDomain); SentMailReader runs python3
  tests/mail/HeaderEncoding_test.cpp         # the same
  tests/mail/MessageHeaders_test.cpp         # the same
  tests/mail/MessageEnvelope_test.cpp        # composes messages (AsciiDomain)
  tests/platform/CopyFile_test.cpp           # NativeFileSystem; TempDirectory, mkfifo, O_NONBLOCK
)

if(NOT VELLUMO_WINDOWS_CORE_ONLY)
  message(FATAL_ERROR "The Win32 dialog and the Windows file services do not exist yet")
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

vellumo_windows_sources(VELLUMO_CORE_SOURCES app/*.cpp config/*.cpp smtp/*.cpp mail/*.cpp text/*.cpp platform/*.cpp)
# The Windows side of the secret file (DPAPI).
list(APPEND VELLUMO_CORE_SOURCES ${PROJECT_SOURCE_DIR}/platform/windows/DpapiSecretFile.cpp)
add_library(vellumo_core STATIC ${VELLUMO_CORE_SOURCES})
target_include_directories(vellumo_core PUBLIC ${PROJECT_SOURCE_DIR})
target_include_directories(vellumo_core SYSTEM PUBLIC ${nlohmann_include})
target_link_libraries(vellumo_core PUBLIC crypt32 shell32 ole32)

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
    vellumo_windows_sources(area_tests tests/${area}/*_test.cpp)
    if(area_tests)
      add_executable(vellumo_${area}_tests ${area_tests})
      target_link_libraries(vellumo_${area}_tests PRIVATE vellumo_fakes GTest::gtest_main)
      gtest_discover_tests(vellumo_${area}_tests ${discovery})
    endif()
  endforeach()

  # The Windows sides of the platform seams.
  add_executable(vellumo_windows_platform_tests tests/platform/windows/DpapiSecretFile_test.cpp)
  target_link_libraries(vellumo_windows_platform_tests PRIVATE vellumo_core GTest::gtest_main)
  gtest_discover_tests(vellumo_windows_platform_tests ${discovery})

  vellumo_windows_sources(VELLUMO_CURL_TESTS tests/smtp/curl/*_test.cpp)
  if(VELLUMO_CURL_TESTS)
    add_executable(vellumo_curl_tests ${VELLUMO_CURL_TESTS})
    target_link_libraries(vellumo_curl_tests PRIVATE vellumo_curl vellumo_fakes GTest::gtest_main)
    gtest_discover_tests(vellumo_curl_tests ${discovery})
  endif()
endif()
