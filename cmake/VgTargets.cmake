# Helpers shared by every folder of the project.

set(VG_RESULTS_DIR "${CMAKE_BINARY_DIR}/test-results")

# Warnings are errors on our own code only (third-party code is added before this is called).
macro(vg_warnings_on)
  add_compile_options(-Wall -Wextra -Werror)
endmacro()

# Collects the sources of FOLDERS: CORE gives the portable files, WIN the Windows shell
# files (named *_win.cpp). Entry points (*_main_win.cpp) belong to their program, not a library.
function(vg_glob_sources out kind)
  set(result)
  foreach(folder ${ARGN})
    file(GLOB files CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${folder}/*.cpp")
    foreach(f ${files})
      if(f MATCHES "_main_win\\.cpp$")
        continue()
      endif()
      if(kind STREQUAL "CORE" AND NOT f MATCHES "_win\\.cpp$")
        list(APPEND result ${f})
      elseif(kind STREQUAL "WIN" AND f MATCHES "_win\\.cpp$")
        list(APPEND result ${f})
      endif()
    endforeach()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

function(vg_sanitize target)
  if(VG_SANITIZE AND NOT WIN32)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all
                                             -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
      # Coverage feedback for the fuzz targets that link the core.
      target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
    endif()
  endif()
endfunction()

# One CTest test per GoogleTest program; each writes its own XML report, which ./run counts.
function(vg_add_gtest target)
  set(report "${VG_RESULTS_DIR}/${target}.xml")
  if(WIN32)
    # Under Wine the Unix root is drive Z:, and only a drive makes the path absolute.
    set(report "Z:${report}")
  endif()
  add_test(NAME ${target}
           COMMAND ${target} --gtest_output=xml:${report} ${ARGN}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  # A hung program fails alone instead of holding up the whole run.
  set_tests_properties(${target} PROPERTIES TIMEOUT 600)
  if(WIN32)
    # Wine's debugger may end a crashed program with exit code 0: its report decides.
    set_tests_properties(${target} PROPERTIES FAIL_REGULAR_EXPRESSION "wine: Unhandled")
  endif()
endfunction()

# Small Windows deliverables: strip symbols from release builds.
function(vg_release_strip target)
  if(WIN32)
    target_link_options(${target} PRIVATE $<$<CONFIG:Release>:-s>)
  endif()
endfunction()

# Runs a GoogleTest program once more, as a test NAME of its own, with the cases that FILTER
# selects and the Unix locale LOCALE (for example de_DE.UTF-8), from which Wine takes the
# user's Windows language. The locales come from the build tree (VG_LOCALE_DIR), so that the
# system needs none generated.
function(vg_add_gtest_in_locale name target locale filter)
  set(report "${VG_RESULTS_DIR}/${name}.xml")
  if(WIN32)
    set(report "Z:${report}")
  endif()
  add_test(NAME ${name}
           COMMAND ${target} --gtest_output=xml:${report} --gtest_filter=${filter}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES
                       TIMEOUT 600
                       ENVIRONMENT "LANG=${locale};LC_ALL=${locale};LANGUAGE=;LOCPATH=${VG_LOCALE_DIR}"
                       FAIL_REGULAR_EXPRESSION "wine: Unhandled")
endfunction()
