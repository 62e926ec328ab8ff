# pick_list_bench: the customer pick list opened and searched over a generated customer table.
add_executable(pick_list_bench pick_list_bench.cpp)
target_link_libraries(pick_list_bench PRIVATE masters Qt6::Test bench_program_data)

# The small run proves the benchmark works end to end (it fails when the list shows the wrong
# customer); it checks nothing about speed.
if(CORVANE_TESTS)
    add_test(NAME pick_list_bench_small COMMAND pick_list_bench --customers 2000,3000 --repeat 2)
    set_tests_properties(pick_list_bench_small PROPERTIES LABELS masters TIMEOUT 120
                         ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()
