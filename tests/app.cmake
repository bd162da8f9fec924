# The shared support of the window tests: the main with the offscreen
# QApplication, the recording message boxes, typing, dropping, modal windows,
# data folders. Window tests link it instead of gtest_main.
add_library(kototsugi_gui_support STATIC gui_support.cpp gui_support.h gui_main.cpp)
target_link_libraries(kototsugi_gui_support PUBLIC kototsugi_ui Qt6::Test GTest::gtest)
target_include_directories(kototsugi_gui_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

kototsugi_gui_test(test_app_platform test_app_platform.cpp)
target_link_libraries(test_app_platform PRIVATE kototsugi_gui_support)

kototsugi_gui_test(test_app_main test_app_main.cpp)
target_link_libraries(test_app_main PRIVATE kototsugi_gui_support)
