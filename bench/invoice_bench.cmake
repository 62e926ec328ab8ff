# invoice_bench: the invoice list opened, invoices loaded and an invoice saved over generated
# invoices, with the syncs each Save asks for.
add_executable(invoice_bench invoice_bench.cpp)
target_link_libraries(invoice_bench PRIVATE invoice bench_counting_env bench_program_data)

# The small run proves the benchmark works end to end (it fails when the list shows the wrong
# invoice or a load or save gives the wrong items); it checks nothing about speed.
if(CORVANE_TESTS)
    add_test(NAME invoice_bench_small
             COMMAND invoice_bench --customers 300 --invoices 3000 --repeat 2)
    set_tests_properties(invoice_bench_small PROPERTIES LABELS invoice TIMEOUT 120
                         ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()
