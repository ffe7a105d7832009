# One GoogleTest program per subsystem folder; every test carries the folder name as its label,
# so `ctest -L core` runs one subsystem.
find_package(GTest REQUIRED)
include(GoogleTest)

# qelt_add_test_suite(<folder> SOURCES <files...> LIBRARIES <targets...>)
function(qelt_add_test_suite folder)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    set(target ${folder}_tests)
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${target} PRIVATE
        QELT_SOURCE_DIR="${PROJECT_SOURCE_DIR}" QELT_BINARY_DIR="${PROJECT_BINARY_DIR}")
    gtest_discover_tests(${target}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES LABELS ${folder} TIMEOUT 120)
endfunction()
