# Encoder-side tests of the LHA library (included from this folder's CMakeLists).
add_executable(lha_encoder_tests ${CMAKE_CURRENT_LIST_DIR}/encoder_test.cpp)
target_include_directories(lha_encoder_tests PRIVATE ${PROJECT_SOURCE_DIR}/lha/src)
target_link_libraries(lha_encoder_tests PRIVATE lha GTest::gtest_main project_options)
add_program_test(NAME lha_encoder COMMAND lha_encoder_tests)
