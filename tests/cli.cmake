kototsugi_core_test(test_cli_main test_cli_main.cpp)
target_compile_definitions(test_cli_main PRIVATE KOTOTSUGI_CLI="$<TARGET_FILE:kototsugi-cli>")
add_dependencies(test_cli_main kototsugi-cli)
