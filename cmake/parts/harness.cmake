# The picture harness (sources tests/harness_*.cpp) as a library for the picture tool and the
# render benchmark; the test executable compiles the same sources itself.
file(GLOB VANTREL_HARNESS_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/harness_*.cpp)
add_library(vantrel_harness STATIC ${VANTREL_HARNESS_SOURCES})
target_include_directories(vantrel_harness PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/tests)
target_link_libraries(vantrel_harness PUBLIC vantrel_game)

