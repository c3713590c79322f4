# Compile settings shared by every target of the project.
add_library(orv_options INTERFACE)
target_include_directories(orv_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(orv_options INTERFACE -Wall -Wextra -fsigned-char)
target_compile_features(orv_options INTERFACE cxx_std_20)
# The test build keeps our code free of warnings.
if(ORV_TESTS)
  target_compile_options(orv_options INTERFACE -Werror)
endif()

if(ORV_SANITIZE)
  set(ORV_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(orv_options INTERFACE ${ORV_SAN_FLAGS})
  target_link_options(orv_options INTERFACE ${ORV_SAN_FLAGS})
endif()

if(ORV_TSAN)
  if(ORV_SANITIZE)
    message(FATAL_ERROR "ORV_TSAN and ORV_SANITIZE cannot be combined")
  endif()
  set(ORV_TSAN_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
  # The network library's fences are beyond its reach; it says so at compile time.
  target_compile_options(orv_options INTERFACE ${ORV_TSAN_FLAGS} $<$<CXX_COMPILER_ID:GNU>:-Wno-tsan>)
  # GCC's optimiser sees bounds and overflow ghosts in the instrumented code
  # that the Debug and Release builds do not show; they stay warnings here.
  target_compile_options(orv_options INTERFACE $<$<CXX_COMPILER_ID:GNU>:-Wno-error>)
  target_link_options(orv_options INTERFACE ${ORV_TSAN_FLAGS})
endif()

if(ORV_FUZZ)
  target_compile_options(orv_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(orv_options INTERFACE -fsanitize=address,undefined)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/OrvLayers.cmake)

# orv_library(name sources...): one static library per source folder.
function(orv_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC orv_options)
endfunction()

# GCC 12 at -O2 and above reports overlapping copies inside the standard
# library's string assignment that cannot happen (GCC bug 105651); the
# warning is left to other compilers and versions.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(orv_options INTERFACE $<$<NOT:$<CONFIG:Debug>>:-Wno-restrict>)
endif()
