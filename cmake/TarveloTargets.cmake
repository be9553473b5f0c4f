set(TARVELO_WARNINGS
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast)
if(TARVELO_WERROR)
    list(APPEND TARVELO_WARNINGS -Werror)
endif()

# tarvelo_library(NAME DIR [DEPENDENCIES...]): a static library of every .cpp in DIR but those
# listed in TARVELO_EXCLUDED_SOURCES (files that belong to another target).
function(tarvelo_library name dir)
    file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    foreach(excluded IN LISTS TARVELO_EXCLUDED_SOURCES)
        list(REMOVE_ITEM sources ${PROJECT_SOURCE_DIR}/${excluded})
    endforeach()
    if(NOT sources)
        # Headers only so far.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARGN})
        return()
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${TARVELO_WARNINGS})
    if(ARGN)
        target_link_libraries(${name} PUBLIC ${ARGN})
    endif()
endfunction()

# tarvelo_test(NAME DIR [DEPENDENCIES...]): one GoogleTest program of every .cpp in DIR.
function(tarvelo_test name dir)
    file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    target_compile_options(${name} PRIVATE -Wall -Wextra)
    target_link_libraries(${name} PRIVATE ${ARGN} tarvelo_testsupport GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
        "TARVELO_CORPUS_DIR=${TARVELO_CORPUS_DIR};TARVELO_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
