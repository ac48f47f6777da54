# Strict warnings for our own targets only; third-party headers come in as system includes.
function(quorvane_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Werror -pedantic
        -Wnon-virtual-dtor -Woverloaded-virtual)
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
