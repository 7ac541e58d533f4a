# End-to-end scenarios: the real program on the virtual test desktop, driven from outside
# through AT-SPI, clicks and keystrokes. A failing scenario leaves a screenshot and the program's
# output in tests/e2e/ of the build folder and prints their paths.
foreach(scenario IN ITEMS shutdown tray accessible_names exit_from_panel sleep_woken)
    add_desktop_test(e2e_${scenario} FLAGS --all
        COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/e2e/scenarios.py
            $<TARGET_FILE:wakemere> ${CMAKE_CURRENT_BINARY_DIR}/e2e ${scenario})
    set_tests_properties(e2e_${scenario} PROPERTIES LABELS e2e TIMEOUT 240)
endforeach()
