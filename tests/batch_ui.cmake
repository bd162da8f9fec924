# The batch windows on the offscreen platform.
kototsugi_gui_test(test_ui_batch test_ui_batch.cpp)
target_link_libraries(test_ui_batch PRIVATE kototsugi_gui_support)
