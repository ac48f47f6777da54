# Strict warnings for our own targets only; third-party headers come in as system includes.
# Warnings become errors only where our presets and CI ask for it: a packager's compiler or
# flags may warn where ours does not (GCC 12 at -O3 gives a false -Wrestrict on std::string).
option(QUORVANE_WERROR "Treat warnings in our own code as errors" OFF)
function(quorvane_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -pedantic
        -Wnon-virtual-dtor -Woverloaded-virtual)
    if(QUORVANE_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# quorvane_library(name dependency...): a static library made of every source in the calling
# folder, linked to the given dependencies.
function(quorvane_library name)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(NOT sources)
        # A folder whose code has not been written yet still takes part in the link graph.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARGN})
        return()
    endif()
    add_library(${name} STATIC ${sources} ${headers})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
    quorvane_warnings(${name})
endfunction()
