# Compiler options shared by every target of the project.
add_library(vd_options INTERFACE)
target_compile_definitions(vd_options INTERFACE VELLUMDESK_BUILDING)
target_compile_options(vd_options INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
        -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wnull-dereference
        -Wimplicit-fallthrough -Wformat=2>)
if(VD_WERROR)
    target_compile_options(vd_options INTERFACE $<$<CXX_COMPILER_ID:GNU,Clang>:-Werror>)
endif()
if(VD_SANITIZE)
    target_compile_options(vd_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(vd_options INTERFACE -fsanitize=address,undefined)
endif()
# The libFuzzer build (clang): every object is instrumented for the fuzzer and
# checked by AddressSanitizer and UndefinedBehaviorSanitizer; the fuzz targets
# add -fsanitize=fuzzer themselves.
if(VD_BUILD_FUZZ)
    target_compile_options(vd_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
        -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(vd_options INTERFACE -fsanitize=address,undefined)
endif()

# vd_add_subsystem(NAME SOURCES...) defines the object library of one subsystem.
function(vd_add_subsystem name)
    add_library(${name} OBJECT ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
    target_link_libraries(${name} PUBLIC vd_options vd_deps)
endfunction()

# External libraries used by the subsystems; subsystems add to it with
# target_link_libraries(vd_deps INTERFACE ...), the core and module link it.
add_library(vd_deps INTERFACE)
